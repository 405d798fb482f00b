#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/registry/registry.h"

namespace halvorn::testing {

// An in-memory registry that keeps the contract of the Windows one: names of at most 255
// characters compared without ASCII case, subkeys enumerated in sorted order with dense indices
// that close up after a deletion, and deletion refused while a key has subkeys. Faults can be
// switched on per key, and every call is counted.
class MemoryRegistry final : public Registry {
public:
    static constexpr std::size_t kMaxNameLength = 255;
    static constexpr std::size_t kMaxValueNameLength = 16383;

    struct CallCounts {
        std::uint64_t open = 0;
        std::uint64_t query = 0;
        std::uint64_t enumerate = 0;
        std::uint64_t enumerated = 0;  // enumerations that returned a name
        std::uint64_t remove = 0;
        std::uint64_t close = 0;
        std::uint64_t value = 0;  // value enumerations
        std::uint64_t write = 0;  // keys created or opened for writing, and values set
        std::uint64_t Total() const { return open + query + enumerate + remove + close + value + write; }
        CallCounts Since(const CallCounts& earlier) const {
            return {open - earlier.open,         query - earlier.query,
                    enumerate - earlier.enumerate, enumerated - earlier.enumerated,
                    remove - earlier.remove,     close - earlier.close,
                    value - earlier.value,       write - earlier.write};
        }
    };

    MemoryRegistry();
    ~MemoryRegistry() override;

    // Creates the key at path below HKEY_LOCAL_MACHINE, with every missing key above it.
    void CreateKey(const std::u16string& path);
    // Creates a key at path that stands for the existing key at target, as CurrentControlSet
    // stands for one of the numbered control sets: OpenKey follows it, OpenSubkey opens it as
    // itself, a key without subkeys.
    void CreateLink(const std::u16string& path, const std::u16string& target);
    // Whether the key at path, reached without following a link at its own name, is a link.
    bool IsLinkAt(const std::u16string& path) const;
    bool Exists(const std::u16string& path) const;
    // Every key below path (not path itself), as paths relative to it, in enumeration order.
    std::vector<std::u16string> ListTree(const std::u16string& path) const;
    // The values of the key at path, in enumeration order.
    std::vector<RegistryValue> Values(const std::u16string& path) const;
    // Takes the key at path away with everything below it, as unloading a hive does.
    void RemoveTree(const std::u16string& path);
    // Sets a value of the key at path, creating the key if needed. Values keep the order in which
    // they were first set, as the Windows registry enumerates them.
    void SetValue(const std::u16string& path, RegistryValue value);

    // Faults: deleting the key fails with access denied; opening it fails; the key disappears right
    // after an enumeration has returned its name; opening it for writing, creating keys below it
    // and setting its values fail with access denied.
    void MakeUndeletable(const std::u16string& path);
    void MakeReadOnly(const std::u16string& path);
    void MakeUnopenable(const std::u16string& path);
    void MakeVanishAfterEnumeration(const std::u16string& path);
    // Enumerating the value of that name fails with access denied.
    void MakeValueUnreadable(const std::u16string& path, const std::u16string& name);

    const CallCounts& Calls() const { return m_calls; }
    std::size_t OpenHandleCount() const { return m_handles.size(); }

    RegistryKey LocalMachine() const override;
    RegistryStatus OpenKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) override;
    RegistryStatus OpenSubkey(RegistryKey parent, const char16_t* name, SubkeyAccess access,
                              RegistryKey& opened) override;
    bool IsLink(RegistryKey key) override;
    std::uint32_t QuerySubkeyCount(RegistryKey key) override;
    RegistryStatus EnumerateSubkey(RegistryKey key, std::uint32_t index, char16_t* name,
                                   std::uint32_t capacity) override;
    RegistryStatus EnumerateValue(RegistryKey key, std::uint32_t index,
                                  RegistryValue& value) override;
    RegistryStatus CreateKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) override;
    RegistryStatus SetValue(RegistryKey key, const RegistryValue& value) override;
    RegistryStatus DeleteOpenedKey(RegistryKey key) override;
    void CloseKey(RegistryKey key) override;

private:
    struct Node;
    struct StoredValue;

    Node* Resolve(RegistryKey key) const;
    RegistryKey NewHandle(Node& node);
    Node* Find(Node* from, const std::u16string& path) const;
    Node& FindExisting(const std::u16string& path) const;
    void Detach(Node& node);
    StoredValue& FindValue(const std::u16string& path, const std::u16string& name) const;

    std::unique_ptr<Node> m_root;
    std::map<RegistryKey, Node*> m_handles;
    RegistryKey m_nextHandle = 0x1000;
    // Deleted keys stay here while a handle may still refer to them.
    std::vector<std::unique_ptr<Node>> m_deleted;
    CallCounts m_calls;
};

}  // namespace halvorn::testing
