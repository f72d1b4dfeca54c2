#include "support/shell_link.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace {

// Undoes CoInitialize only when it succeeded (S_FALSE included: the count
// still went up).
class ComInit {
public:
    ComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInit() {
        if (ok_) CoUninitialize();
    }
    ComInit(const ComInit &) = delete;
    ComInit &operator=(const ComInit &) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// Owns one interface pointer.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_ != nullptr) p_->Release();
    }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;
    T *operator->() const { return p_; }
    void **out() { return reinterpret_cast<void **>(&p_); }

private:
    T *p_ = nullptr;
};

}  // namespace

bool ShellLink_Make(const tstring &link, const tstring &target) {
    ComInit com;
    if (!com.ok()) return false;
    ComRef<IShellLink> shell;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLink, shell.out())))
        return false;
    ComRef<IPersistFile> file;
    if (FAILED(shell->SetPath(target.c_str())) || FAILED(shell->QueryInterface(IID_IPersistFile, file.out())))
        return false;
    // IPersistFile takes wide names in both text flavours.
    WCHAR wide[MAX_PATH];
#if defined(QV_ANSI)
    if (MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH) == 0) return false;
#else
    if (link.size() >= MAX_PATH) return false;
    lstrcpynW(wide, link.c_str(), MAX_PATH);
#endif
    return SUCCEEDED(file->Save(wide, TRUE));
}
