#include <windows.h>

#include <cstring>

#include "platform/host.h"
#include "platform/win32/host_internal.h"
#include "platform/win32/wide.h"

namespace ostrand {

namespace host_win32 {

std::string MissingFunctionMessage(const std::string& library, const std::string& function) {
  return "\xCE\xDE\xB7\xA8\xD4\xDA "                               // 无法在
         + library + " \xD6\xD0\xD5\xD2\xB5\xBD\xBA\xAF\xCA\xFD "  // 中找到函数
         + function + "\xA3\xAC\xB3\xCC\xD0\xF2\xBD\xAB\xCD\xCB\xB3\xF6\xA1\xA3";  // ，程序将退出。
}

}  // namespace host_win32

namespace {

// Iphlpapi's undocumented table call: the table is allocated on the heap
// passed in; the third argument is always 1.
using InternalGetTcpTable2Fn = DWORD(WINAPI*)(void** table, HANDLE heap, DWORD flags);

// Bound by name on the first call. Without it no snapshot can ever be
// taken, so the program says which function is missing and ends.
InternalGetTcpTable2Fn BoundInternalGetTcpTable2() {
  static const InternalGetTcpTable2Fn function = [] {
    static constexpr char kLibrary[] = "Iphlpapi.dll";
    static constexpr char kFunction[] = "InternalGetTcpTable2";
    HMODULE module = LoadLibraryW(L"Iphlpapi.dll");
    FARPROC address = module != nullptr ? GetProcAddress(module, kFunction) : nullptr;
    if (address == nullptr) {
      const std::wstring text = GbkToWide(host_win32::MissingFunctionMessage(kLibrary, kFunction));
      const std::wstring caption = GbkToWide("\xB4\xED\xCE\xF3");  // 错误
      MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
      ExitProcess(1);
    }
    return reinterpret_cast<InternalGetTcpTable2Fn>(reinterpret_cast<void*>(address));
  }();
  return function;
}

}  // namespace

std::int32_t QueryTcpTable(std::vector<unsigned char>& block) {
  block.clear();
  const InternalGetTcpTable2Fn get = BoundInternalGetTcpTable2();
  HANDLE heap = GetProcessHeap();
  void* table = nullptr;
  const DWORD result = get(&table, heap, 1);
  if (result != 0 || table == nullptr) {
    if (table != nullptr)
      HeapFree(heap, 0, table);
    return result != 0 ? static_cast<std::int32_t>(result) : ERROR_INVALID_DATA;
  }
  // The block's own size bounds what is read: the decoder never trusts the
  // row count beyond it.
  const SIZE_T size = HeapSize(heap, 0, table);
  if (size == static_cast<SIZE_T>(-1)) {
    HeapFree(heap, 0, table);
    return ERROR_INVALID_DATA;
  }
  block.resize(size);
  std::memcpy(block.data(), table, size);
  HeapFree(heap, 0, table);
  return 0;
}

}  // namespace ostrand
