#include "engine/restore/restore_tree_writer.h"

#include <algorithm>

#include "engine/registry/ascii_case.h"
#include "engine/registry/key_path.h"

namespace halvorn {

namespace {

constexpr std::size_t kLinesPerAppend = 100;

constexpr std::u16string_view kRestoredLine = u"HKLM\\%s";
constexpr std::u16string_view kNotRestoredLine = u"Not restored whole (error %d): HKLM\\%s";
constexpr std::u16string_view kDeniedLine = u"Not restored whole, access is denied (error %d): HKLM\\%s";
constexpr std::u16string_view kNoParentLine = u"Not restored, the key that held it is gone: HKLM\\%s";
constexpr std::u16string_view kLinkLine = u"Not restored, a key on its way down is a registry link: HKLM\\%s";

// The names of a backslash-separated path, which the planner has found to hold no empty one.
std::vector<std::u16string_view> NamesOf(std::u16string_view path) {
    std::vector<std::u16string_view> names;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

}  // namespace

RestoreTreeWriter::RestoreTreeWriter(Registry& registry, RepairLog& log, std::u16string targetHive,
                                     std::vector<RestoredTree>& trees)
    : m_registry(registry), m_log(log), m_targetHive(std::move(targetHive)), m_trees(trees) {}

RestoreTreeWriter::~RestoreTreeWriter() {
    try {
        Flush();
    } catch (...) {
        // Nothing may leave a destructor: the lines are lost, as a line that cannot be written is.
    }
}

void RestoreTreeWriter::Flush() {
    if (!m_writtenLines.empty()) {
        m_log.WriteLines(m_writtenLines);
        m_writtenLines.clear();
    }
}

bool RestoreTreeWriter::Kept(std::u16string_view line, const std::u16string& treePath) {
    return NotRestored(FormatText(line, {treePath}), treePath);
}

bool RestoreTreeWriter::Failed(RegistryStatus status, const std::u16string& treePath) {
    return NotRestored(FormatText(status == kRegistryAccessDenied ? kDeniedLine : kNotRestoredLine, {status, treePath}),
                       treePath);
}

bool RestoreTreeWriter::NotRestored(const std::u16string& line, const std::u16string& treePath) {
    Flush();
    m_log.WriteLine(u"%s", line);
    m_trees.push_back({u"HKLM\\" + treePath, false, line.substr(0, line.rfind(u": HKLM\\"))});
    return false;
}

bool RestoreTreeWriter::OpenWayTo(const std::u16string& parentPath, const std::u16string& treePath) {
    if (!m_wayTo.empty() && EqualsIgnoringAsciiCase(m_wayTo, parentPath)) {
        return true;
    }
    m_way.clear();
    m_wayTo.clear();
    // The control set and its root are reached as the repair reached them, through the
    // CurrentControlSet link too; every key below them is opened from its parent's handle, never
    // through a link, and none is made up: the key that held the tree must still be there.
    const std::vector<std::u16string_view> names = NamesOf(parentPath);
    std::u16string rootPath = m_targetHive;
    AppendKeyName(rootPath, names[0]);
    AppendKeyName(rootPath, names[1]);
    m_way.emplace_back(m_registry, m_registry.LocalMachine(), rootPath.c_str());
    for (std::size_t level = 2; m_way.back() && level < names.size(); ++level) {
        const SubkeyAccess access = level + 1 == names.size() ? SubkeyAccess::AddSubkeys : SubkeyAccess::Read;
        m_way.emplace_back(m_registry, m_way.back().get(), std::u16string(names[level]).c_str(), access);
        if (m_way.back() && m_registry.IsLink(m_way.back().get())) {
            m_way.clear();
            return Kept(kLinkLine, treePath);
        }
    }
    const RegistryStatus status = m_way.back().Status();
    if (status != kRegistrySuccess) {
        m_way.clear();
        return status == kRegistryFileNotFound || status == kRegistryKeyDeleted ? Kept(kNoParentLine, treePath)
                                                                                : Failed(status, treePath);
    }
    m_wayTo = parentPath;
    return true;
}

bool RestoreTreeWriter::Write(const RestoreTree& tree) {
    std::u16string treePath = m_targetHive;
    AppendKeyName(treePath, tree.parentPath);
    AppendKeyName(treePath, NamesOf(tree.keys.front().path).front());
    if (!OpenWayTo(tree.parentPath, treePath)) {
        return false;
    }

    // Each key of the tree comes one level at a time below the keys that the one before it opened.
    const std::size_t parentDepth = m_way.size();
    std::vector<std::u16string_view> opened;  // the names below the parent that the way holds open
    const auto leaveTree = [&] {
        while (m_way.size() > parentDepth) {
            m_way.pop_back();
        }
    };
    for (const RegFileKey& key : tree.keys) {
        const std::vector<std::u16string_view> names = NamesOf(key.path);
        std::size_t shared = 0;
        while (shared < names.size() && shared < opened.size() && EqualsIgnoringAsciiCase(names[shared], opened[shared])) {
            ++shared;
        }
        while (m_way.size() > parentDepth + shared) {
            m_way.pop_back();
        }
        opened.resize(shared);
        for (std::size_t level = shared; level < names.size(); ++level) {
            m_way.emplace_back(m_registry, m_way.back().get(), std::u16string(names[level]).c_str(), SubkeyAccess::Create);
            if (!m_way.back()) {
                const RegistryStatus status = m_way.back().Status();
                leaveTree();
                return Failed(status, treePath);
            }
            if (m_registry.IsLink(m_way.back().get())) {
                leaveTree();
                return Kept(kLinkLine, treePath);
            }
            opened.push_back(names[level]);
        }
        for (const RegistryValue& value : key.values) {
            if (const RegistryStatus status = m_registry.SetValue(m_way.back().get(), value); status != kRegistrySuccess) {
                leaveTree();
                return Failed(status, treePath);
            }
        }
    }
    leaveTree();
    m_writtenLines.push_back(FormatText(kRestoredLine, {treePath}));
    m_trees.push_back({u"HKLM\\" + treePath, true, {}});
    if (m_writtenLines.size() == kLinesPerAppend) {
        Flush();
    }
    return true;
}

}  // namespace halvorn
