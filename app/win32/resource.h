// Identifiers shared by ostrand.rc and the window code.
#pragma once

#define IDI_OSTRAND 101
#define IDR_LISTMENU 102

// ListMenu's items.
#define IDM_END_PROCESS 40001
#define IDM_BLACKLIST 40002

// MainWindow's controls.
#define IDC_CONNECTION_LIST 1001
#define IDC_REFRESH_BUTTON 1002
#define IDC_PROMO_LABEL 1003
#define IDC_SITE_LINK 1004
