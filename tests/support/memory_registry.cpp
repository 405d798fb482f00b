#include "tests/support/memory_registry.h"

#include <algorithm>
#include <stdexcept>

#include "engine/registry/ascii_case.h"

namespace halvorn::testing {

namespace {

constexpr RegistryKey kLocalMachine = 0x80000002;

// The registry sorts subkeys by their upper-cased names.
bool SortsBefore(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) {
                                            return UpperAsciiCase(x) < UpperAsciiCase(y);
                                        });
}

std::vector<std::u16string> SplitPath(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

struct MemoryRegistry::StoredValue {
    RegistryValue value;
    bool unreadable = false;
};

struct MemoryRegistry::Node {
    std::u16string name;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;  // sorted as enumeration returns them
    std::vector<StoredValue> values;              // in the order they were first set
    Node* linkTarget = nullptr;
    bool deleted = false;
    bool undeletable = false;
    bool unopenable = false;
    bool readOnly = false;
    bool vanishesAfterEnumeration = false;

    // The child itself, a link too.
    Node* ChildItself(const std::u16string& childName) const {
        const auto position = std::lower_bound(
            children.begin(), children.end(), childName,
            [](const std::unique_ptr<Node>& node, const std::u16string& value) {
                return SortsBefore(node->name, value);
            });
        if (position == children.end() || !EqualsIgnoringAsciiCase((*position)->name, childName)) {
            return nullptr;
        }
        return position->get();
    }

    // The child, or where it is a link, the key that it stands for.
    Node* Child(const std::u16string& childName) const {
        Node* child = ChildItself(childName);
        return child != nullptr && child->linkTarget != nullptr ? child->linkTarget : child;
    }

    // Values keep the order in which they were first set, as the Windows registry enumerates them.
    void Set(RegistryValue value) {
        const auto same = std::find_if(values.begin(), values.end(), [&value](const StoredValue& stored) {
            return EqualsIgnoringAsciiCase(stored.value.name, value.name);
        });
        if (same != values.end()) {
            same->value = std::move(value);
        } else {
            values.push_back({std::move(value)});
        }
    }

    Node& AddChild(const std::u16string& childName) {
        auto child = std::make_unique<Node>();
        child->name = childName;
        child->parent = this;
        const auto position = std::upper_bound(
            children.begin(), children.end(), childName,
            [](const std::u16string& value, const std::unique_ptr<Node>& node) {
                return SortsBefore(value, node->name);
            });
        return **children.insert(position, std::move(child));
    }
};

MemoryRegistry::MemoryRegistry() : m_root(std::make_unique<Node>()) {}
MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::CreateKey(const std::u16string& path) {
    Node* node = m_root.get();
    for (const std::u16string& part : SplitPath(path)) {
        if (part.empty() || part.size() > kMaxNameLength) {
            throw std::invalid_argument("registry key names have 1 to 255 characters");
        }
        Node* child = node->Child(part);
        node = child != nullptr ? child : &node->AddChild(part);
    }
}

void MemoryRegistry::CreateLink(const std::u16string& path, const std::u16string& target) {
    Node& targetNode = FindExisting(target);
    CreateKey(path);
    const std::size_t lastSeparator = path.rfind(u'\\');
    Node& parent = lastSeparator == std::u16string::npos ? *m_root : FindExisting(path.substr(0, lastSeparator));
    const std::u16string name = path.substr(lastSeparator + 1);
    for (const auto& child : parent.children) {
        if (EqualsIgnoringAsciiCase(child->name, name)) {
            child->linkTarget = &targetNode;
        }
    }
}

MemoryRegistry::Node* MemoryRegistry::Find(Node* from, const std::u16string& path) const {
    Node* node = from;
    for (const std::u16string& part : SplitPath(path)) {
        if (node == nullptr) {
            break;
        }
        node = part.empty() ? nullptr : node->Child(part);
    }
    return node;
}

MemoryRegistry::Node& MemoryRegistry::FindExisting(const std::u16string& path) const {
    Node* node = Find(m_root.get(), path);
    if (node == nullptr) {
        throw std::invalid_argument("no such key");
    }
    return *node;
}

bool MemoryRegistry::IsLinkAt(const std::u16string& path) const {
    const std::size_t lastSeparator = path.rfind(u'\\');
    const Node& parent = lastSeparator == std::u16string::npos ? *m_root : FindExisting(path.substr(0, lastSeparator));
    const Node* node = parent.ChildItself(path.substr(lastSeparator + 1));
    return node != nullptr && node->linkTarget != nullptr;
}

bool MemoryRegistry::Exists(const std::u16string& path) const {
    return Find(m_root.get(), path) != nullptr;
}

std::vector<std::u16string> MemoryRegistry::ListTree(const std::u16string& path) const {
    std::vector<std::u16string> paths;
    const auto walk = [&paths](const auto& self, const Node& node, const std::u16string& at) -> void {
        for (const auto& child : node.children) {
            const std::u16string childPath = at.empty() ? child->name : at + u"\\" + child->name;
            paths.push_back(childPath);
            self(self, *child, childPath);
        }
    };
    walk(walk, FindExisting(path), u"");
    return paths;
}

std::vector<RegistryValue> MemoryRegistry::Values(const std::u16string& path) const {
    std::vector<RegistryValue> values;
    for (const StoredValue& stored : FindExisting(path).values) {
        values.push_back(stored.value);
    }
    return values;
}

void MemoryRegistry::RemoveTree(const std::u16string& path) {
    Detach(FindExisting(path));
}

void MemoryRegistry::SetValue(const std::u16string& path, RegistryValue value) {
    if (value.name.size() > kMaxValueNameLength) {
        throw std::invalid_argument("registry value names have at most 16,383 characters");
    }
    CreateKey(path);
    FindExisting(path).Set(std::move(value));
}

MemoryRegistry::StoredValue& MemoryRegistry::FindValue(const std::u16string& path,
                                                       const std::u16string& name) const {
    std::vector<StoredValue>& values = FindExisting(path).values;
    const auto found = std::find_if(values.begin(), values.end(), [&name](const StoredValue& stored) {
        return EqualsIgnoringAsciiCase(stored.value.name, name);
    });
    if (found == values.end()) {
        throw std::invalid_argument("no such value");
    }
    return *found;
}

void MemoryRegistry::MakeValueUnreadable(const std::u16string& path, const std::u16string& name) {
    FindValue(path, name).unreadable = true;
}

void MemoryRegistry::MakeUndeletable(const std::u16string& path) {
    FindExisting(path).undeletable = true;
}

void MemoryRegistry::MakeReadOnly(const std::u16string& path) {
    FindExisting(path).readOnly = true;
}

void MemoryRegistry::MakeUnopenable(const std::u16string& path) {
    FindExisting(path).unopenable = true;
}

void MemoryRegistry::MakeVanishAfterEnumeration(const std::u16string& path) {
    FindExisting(path).vanishesAfterEnumeration = true;
}

RegistryKey MemoryRegistry::LocalMachine() const { return kLocalMachine; }

MemoryRegistry::Node* MemoryRegistry::Resolve(RegistryKey key) const {
    if (key == kLocalMachine) {
        return m_root.get();
    }
    const auto handle = m_handles.find(key);
    return handle == m_handles.end() || handle->second->deleted ? nullptr : handle->second;
}

RegistryStatus MemoryRegistry::OpenKey(RegistryKey parent, const char16_t* path,
                                       RegistryKey& opened) {
    ++m_calls.open;
    opened = 0;
    Node* from = Resolve(parent);
    if (from == nullptr) {
        return kRegistryInvalidHandle;
    }
    Node* node = Find(from, path);
    if (node == nullptr) {
        return kRegistryFileNotFound;
    }
    if (node->unopenable) {
        return kRegistryAccessDenied;
    }
    opened = NewHandle(*node);
    return kRegistrySuccess;
}

RegistryKey MemoryRegistry::NewHandle(Node& node) {
    const RegistryKey handle = m_nextHandle++;
    m_handles.emplace(handle, &node);
    return handle;
}

RegistryStatus MemoryRegistry::OpenSubkey(RegistryKey parent, const char16_t* name, SubkeyAccess access,
                                          RegistryKey& opened) {
    const bool writes = access == SubkeyAccess::AddSubkeys || access == SubkeyAccess::Create;
    ++(writes ? m_calls.write : m_calls.open);
    opened = 0;
    Node* from = parent == kLocalMachine ? nullptr : Resolve(parent);
    if (from == nullptr) {
        return kRegistryInvalidHandle;
    }
    const std::u16string childName(name);
    if (childName.empty() || childName.size() > kMaxNameLength || childName.find(u'\\') != std::u16string::npos) {
        return kRegistryInvalidName;
    }
    Node* node = from->ChildItself(childName);
    if (node == nullptr && access == SubkeyAccess::Create && !from->readOnly) {
        node = &from->AddChild(childName);
    }
    if (node == nullptr) {
        return from->readOnly && access == SubkeyAccess::Create ? kRegistryAccessDenied : kRegistryFileNotFound;
    }
    if (node->unopenable || (writes && node->readOnly)) {
        return kRegistryAccessDenied;
    }
    opened = NewHandle(*node);
    return kRegistrySuccess;
}

bool MemoryRegistry::IsLink(RegistryKey key) {
    ++m_calls.value;
    const Node* node = Resolve(key);
    return node != nullptr && node->linkTarget != nullptr;
}

std::uint32_t MemoryRegistry::QuerySubkeyCount(RegistryKey key) {
    ++m_calls.query;
    const Node* node = Resolve(key);
    return node == nullptr ? 0 : static_cast<std::uint32_t>(node->children.size());
}

RegistryStatus MemoryRegistry::EnumerateSubkey(RegistryKey key, std::uint32_t index,
                                               char16_t* name, std::uint32_t capacity) {
    ++m_calls.enumerate;
    Node* node = Resolve(key);
    if (node == nullptr) {
        return kRegistryKeyDeleted;
    }
    if (index >= node->children.size()) {
        return kRegistryNoMoreItems;
    }
    Node& child = *node->children[index];
    if (child.name.size() + 1 > capacity) {
        return kRegistryMoreData;
    }
    if (child.name.find(u'\0') != std::u16string::npos) {
        return kRegistryInvalidName;
    }
    std::copy(child.name.begin(), child.name.end(), name);
    name[child.name.size()] = u'\0';
    ++m_calls.enumerated;
    if (child.vanishesAfterEnumeration) {
        Detach(child);
    }
    return kRegistrySuccess;
}

void MemoryRegistry::Detach(Node& node) {
    const auto marks = [](const auto& self, Node& at) -> void {
        at.deleted = true;
        for (const auto& child : at.children) {
            self(self, *child);
        }
    };
    marks(marks, node);
    auto& siblings = node.parent->children;
    const auto position = std::find_if(siblings.begin(), siblings.end(),
                                       [&node](const auto& child) { return child.get() == &node; });
    m_deleted.push_back(std::move(*position));
    siblings.erase(position);
}

RegistryStatus MemoryRegistry::EnumerateValue(RegistryKey key, std::uint32_t index,
                                              RegistryValue& value) {
    ++m_calls.value;
    const Node* node = Resolve(key);
    if (node == nullptr) {
        return kRegistryKeyDeleted;
    }
    if (index >= node->values.size()) {
        return kRegistryNoMoreItems;
    }
    const StoredValue& stored = node->values[index];
    if (stored.unreadable) {
        return kRegistryAccessDenied;
    }
    value = stored.value;
    return kRegistrySuccess;
}

RegistryStatus MemoryRegistry::CreateKey(RegistryKey parent, const char16_t* path, RegistryKey& opened) {
    ++m_calls.write;
    opened = 0;
    Node* node = Resolve(parent);
    if (node == nullptr) {
        return kRegistryInvalidHandle;
    }
    for (const std::u16string& part : SplitPath(path)) {
        if (part.empty() || part.size() > kMaxNameLength) {
            return kRegistryInvalidName;
        }
        Node* child = node->Child(part);
        if (child == nullptr && node->readOnly) {
            return kRegistryAccessDenied;
        }
        if (child == nullptr) {
            child = &node->AddChild(part);
            child->readOnly = node->readOnly;
        }
        node = child;
    }
    opened = NewHandle(*node);
    return kRegistrySuccess;
}

RegistryStatus MemoryRegistry::SetValue(RegistryKey key, const RegistryValue& value) {
    ++m_calls.write;
    Node* node = Resolve(key);
    if (node == nullptr) {
        return kRegistryInvalidHandle;
    }
    if (node->readOnly) {
        return kRegistryAccessDenied;
    }
    node->Set(value);
    return kRegistrySuccess;
}

RegistryStatus MemoryRegistry::DeleteOpenedKey(RegistryKey key) {
    ++m_calls.remove;
    Node* node = Resolve(key);
    if (node == nullptr) {
        return key == kLocalMachine ? kRegistryAccessDenied : kRegistryKeyDeleted;
    }
    if (node->undeletable || !node->children.empty() || node->parent == nullptr) {
        return kRegistryAccessDenied;
    }
    Detach(*node);
    return kRegistrySuccess;
}

void MemoryRegistry::CloseKey(RegistryKey key) {
    ++m_calls.close;
    m_handles.erase(key);
}

}  // namespace halvorn::testing
