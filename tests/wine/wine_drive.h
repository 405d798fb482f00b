#pragma once

#include <string>

namespace halvorn::testing {

// A drive letter of the Wine prefix that stands for a folder of the test's own on drive C:, made
// as winecfg makes drives: through Wine's mount manager, which links the letter in the prefix's
// dosdevices folder. Removed again, with the folder and all in it, when the test ends, so that no
// other test sees the drive.
class WineDrive {
public:
    explicit WineDrive(wchar_t letter);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;

    bool Mounted() const { return m_mounted; }
    // "D:\".
    std::wstring Root() const { return std::wstring(1, m_letter) + L":\\"; }

private:
    bool Define(const std::string& unixFolder) const;

    wchar_t m_letter;
    std::wstring m_folder;
    bool m_mounted = false;
};

}  // namespace halvorn::testing
