#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The registry as the repair engine sees it: the operations of the Windows registry API that it
// needs, with their contract, so that the engine runs unchanged against the system registry and,
// in tests, against an in-memory tree.
namespace halvorn {

// An open key, or one of the registry's predefined roots. Zero is no key.
using RegistryKey = std::uintptr_t;

// Win32 error codes; 0 is success.
using RegistryStatus = std::int32_t;
inline constexpr RegistryStatus kRegistrySuccess = 0;
inline constexpr RegistryStatus kRegistryFileNotFound = 2;    // ERROR_FILE_NOT_FOUND
inline constexpr RegistryStatus kRegistryAccessDenied = 5;    // ERROR_ACCESS_DENIED
inline constexpr RegistryStatus kRegistryInvalidHandle = 6;   // ERROR_INVALID_HANDLE
inline constexpr RegistryStatus kRegistryInvalidName = 123;   // ERROR_INVALID_NAME
inline constexpr RegistryStatus kRegistryMoreData = 234;      // ERROR_MORE_DATA
inline constexpr RegistryStatus kRegistryNoMoreItems = 259;   // ERROR_NO_MORE_ITEMS
inline constexpr RegistryStatus kRegistryKeyDeleted = 1018;   // ERROR_KEY_DELETED

// Value types that the registry names; any other 32-bit number is a valid type too.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// One value of a key as stored: the registry checks neither the type nor the data against it.
struct RegistryValue {
    std::u16string name;  // empty for the key's default value
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;

    bool operator==(const RegistryValue&) const = default;
};

// The number in the first four bytes of data, least significant first, as REG_DWORD stores it.
inline std::uint32_t LittleEndianDword(const std::vector<std::uint8_t>& data) {
    return static_cast<std::uint32_t>(data.at(0)) | static_cast<std::uint32_t>(data.at(1)) << 8 |
           static_cast<std::uint32_t>(data.at(2)) << 16 | static_cast<std::uint32_t>(data.at(3)) << 24;
}

// What an open of one subkey may do with it. Every one can ask whether the key is a link.
enum class SubkeyAccess {
    Read,           // enumerate and read
    ReadAndDelete,  // that, and delete the key itself
    AddSubkeys,     // create keys below an existing key
    Create,         // create the key where it is missing, keys below it, and its values
};

class Registry {
public:
    virtual ~Registry() = default;

    // HKEY_LOCAL_MACHINE.
    virtual RegistryKey LocalMachine() const = 0;

    // Opens path (backslash-separated, relative to parent) with KEY_READ access, following every
    // registry link on the way, as Windows does: for the keys above the ones that a repair selects.
    virtual RegistryStatus OpenKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) = 0;

    // Opens name, one immediate subkey of parent (an open key, not a predefined root), never
    // following it where it is a registry link: a link is opened as itself, which has no subkeys.
    // A name that holds a backslash fails with kRegistryInvalidName, since the keys on a path's way
    // are followed.
    virtual RegistryStatus OpenSubkey(RegistryKey parent, const char16_t* name, SubkeyAccess access,
                                      RegistryKey& opened) = 0;

    // Whether key, opened by OpenSubkey, is a registry link (it has a REG_LINK "SymbolicLinkValue").
    virtual bool IsLink(RegistryKey key) = 0;

    // The number of immediate subkeys; 0 when the query fails.
    virtual std::uint32_t QuerySubkeyCount(RegistryKey key) = 0;

    // Copies the NUL-terminated name of the subkey at index into name. Fails when the name and its
    // terminator do not fit capacity characters, past the last index, and with kRegistryInvalidName
    // when the name holds a NUL: the registry counts the characters of a name, so the native calls
    // can make one, but no call here that takes a name could reach that key.
    virtual RegistryStatus EnumerateSubkey(RegistryKey key, std::uint32_t index, char16_t* name,
                                           std::uint32_t capacity) = 0;

    // Reads the name, type and data of the value at index, whatever their size. Indices run densely
    // from 0 and fail with kRegistryNoMoreItems past the last one.
    virtual RegistryStatus EnumerateValue(RegistryKey key, std::uint32_t index,
                                          RegistryValue& value) = 0;

    // Opens path (backslash-separated, relative to parent) for adding subkeys and setting values,
    // and creates it first, with every missing key above it, where it does not exist.
    virtual RegistryStatus CreateKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) = 0;

    // Sets the value of key that value names to exactly its type and data, replacing a value of that
    // name.
    virtual RegistryStatus SetValue(RegistryKey key, const RegistryValue& value) = 0;

    // Deletes the key that key, opened by OpenSubkey with ReadAndDelete, stands for; refused while
    // it has subkeys. A handle, not a name: the key deleted is the one that was looked at.
    virtual RegistryStatus DeleteOpenedKey(RegistryKey key) = 0;

    virtual void CloseKey(RegistryKey key) = 0;
};

enum class KeyOpening { Read, CreateForWriting };

// The one owner of an open key: closes it when it goes out of scope.
class OpenedKey {
public:
    OpenedKey(Registry& registry, RegistryKey parent, const char16_t* path, KeyOpening opening = KeyOpening::Read)
        : m_registry(registry),
          m_status(opening == KeyOpening::Read ? registry.OpenKey(parent, path, m_key)
                                               : registry.CreateKey(parent, path, m_key)) {
        Settle();
    }
    // One subkey of parent, never through a link.
    OpenedKey(Registry& registry, RegistryKey parent, const char16_t* name, SubkeyAccess access)
        : m_registry(registry), m_status(registry.OpenSubkey(parent, name, access, m_key)) {
        Settle();
    }
    ~OpenedKey() {
        if (m_key != 0) {
            m_registry.CloseKey(m_key);
        }
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    explicit operator bool() const { return m_key != 0; }
    RegistryKey get() const { return m_key; }
    // What the open returned.
    RegistryStatus Status() const { return m_status; }

private:
    void Settle() {
        if (m_status != kRegistrySuccess) {
            m_key = 0;
        }
    }

    Registry& m_registry;
    RegistryKey m_key = 0;
    RegistryStatus m_status;
};

}  // namespace halvorn
