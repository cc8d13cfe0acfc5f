// The name tables of the cross-reference resolver (UseResolver.h): the run's table of every
// declared name by scope and name space, and the small per-walk memo of names already looked up.
// Internal to src/analysis; the small look-ups are inline here, for the walk runs on every token.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/CrossReferences.h"
#include "text/Cp1252.h"

namespace qs::resolver {

// Name scopes of the lookup table besides declarations' own ids (a module's or a procedure's
// names, a type's or an enumeration's members are keyed by that declaration's id).
constexpr int32_t kPublicScope = -1;  // Public names of standard modules, Public enumerations
constexpr int32_t kModuleScope = -2;  // module names
// Name spaces: names, and the types and enumerations As may name.
constexpr int32_t kNames = 0;
constexpr int32_t kTypes = 2;

constexpr int32_t kNoDecl = -1;
constexpr int32_t kPending = -2;  // a use whose declaration is settled at the procedure's end

// A name declared again with the same kind by the same owner in a scope of its module is a twin
// of an #If block (one declaration for the cross references) when one of the first kTwinScan
// declarations of the name in the scope has its kind: a name declared very often in one scope
// costs no quadratic work.
constexpr int32_t kTwinScan = 16;

struct NameKey {
  int32_t scope;
  std::string_view name;
  int32_t space = kNames;
};
struct NameKeyHash {
  size_t operator()(const NameKey& k) const {
    return HashNoCase1252(k.name) ^
           (static_cast<size_t>(static_cast<uint32_t>(k.scope)) * 0x9E3779B1u) ^
           (static_cast<size_t>(k.space) << 7);
  }
};
struct NameKeyEqual {
  bool operator()(const NameKey& a, const NameKey& b) const {
    return a.scope == b.scope && a.space == b.space && EqualsNoCase1252(a.name, b.name);
  }
};

// EqualsNoCase1252 for the short names the lookups compare, without a call into the library.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y && kCp1252Upper[x] != kCp1252Upper[y]) return false;
  }
  return true;
}

// A declaration of its own (canonical: itself) with the given id.
inline CrossDeclaration NewDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                                int32_t module, int32_t parent, int32_t pos, int32_t id) {
  CrossDeclaration d;
  d.entry = entry;
  d.name = name;
  d.module = module;
  d.parent = parent;
  d.pos = pos;
  d.kind = kind;
  d.canonical = id;
  return d;
}

// The first slot a hash probes: its bits mixed, so that the names of one scope spread.
inline size_t FirstSlot(uint32_t hash, size_t mask) {
  return static_cast<size_t>((static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

// The key of a name in a scope: the name's hash (HashNoCase1252) and the scope's key mixed.
inline uint32_t SlotHash(size_t nameHash, int32_t scopeKey) {
  return static_cast<uint32_t>(nameHash) ^ (static_cast<uint32_t>(scopeKey) * 0x85EBCA6Bu);
}

// The name table: open addressing, one slot per (scope, name space, name), each the head of a
// chain of the declarations bearing the name there. No allocation per entry.
struct Slot {
  uint32_t hash = 0;
  int32_t scopeKey = 0;  // scope * 4 + name space
  int32_t head = -1;     // first node; -1 for an empty slot
};
struct Node {
  int32_t decl;
  int32_t next;
  int32_t tail;  // the chain's last node (kept in its first node)
};

// The name table over the run's declarations (decls, by id), with what it keeps of each: its
// name's hash and whether an #If twin shares it. Whoever adds a declaration to decls adds its
// nameHash and twinned entries too.
struct NameTable {
  std::vector<CrossDeclaration>* decls = nullptr;
  std::vector<Slot> slots;
  size_t used = 0;
  std::vector<Node> nodes;
  std::vector<uint32_t> nameHash;  // HashNoCase1252 of each declaration's name
  std::vector<uint8_t> twinned;    // 1 for a declaration an #If twin shares

  int32_t Canonical(int32_t decl) const { return (*decls)[static_cast<size_t>(decl)].canonical; }
  /// Appends the declaration to the chain of its name in the scope (a twin of an #If block stays
  /// out: its canonical becomes the first twin's).
  void Insert(int32_t scope, int32_t decl, int32_t space = kNames);
  /// The first node of the name's chain in the scope, -1 when there is none.
  int32_t Find(int32_t scope, std::string_view name, int32_t space = kNames) const {
    return FindHashed(scope, name, HashNoCase1252(name), space);
  }
  /// Find with the name's hash (HashNoCase1252) worked out once for several scopes.
  int32_t FindHashed(int32_t scope, std::string_view name, size_t nameHash,
                     int32_t space = kNames) const {
    if (slots.empty()) return -1;
    const int32_t key = scope * 4 + space;
    return slots[SlotOf(key, name, SlotHash(nameHash, key))].head;
  }
  int32_t Decl(int32_t node) const { return nodes[static_cast<size_t>(node)].decl; }
  int32_t Next(int32_t node) const { return nodes[static_cast<size_t>(node)].next; }
  /// The declaration a chain of same-named declarations gives: a property's Get before its Let
  /// and Set.
  int32_t Best(int32_t node) const {
    int32_t found = kNoDecl;
    for (int32_t n = node; n >= 0; n = nodes[static_cast<size_t>(n)].next) {
      const int32_t d = nodes[static_cast<size_t>(n)].decl;
      const DeclKind k = (*decls)[static_cast<size_t>(d)].kind;
      if (k != DeclKind::kPropertyLet && k != DeclKind::kPropertySet) return d;
      if (found < 0) found = d;
    }
    return found;
  }
  /// Doubles the table, or more: room for `names` names within the table's fill limit.
  void Grow(size_t names = 0);
  /// The slot of the key and name: the one holding them, or the empty one where they go.
  size_t SlotOf(int32_t scopeKey, std::string_view name, uint32_t hash) const;
};

// What a walk found for the names it looked up since it was last cleared (a procedure's names,
// a module's): a small table that stays in the cache, where the name table does not.
class LookupMemo {
 public:
  struct Entry {
    std::string_view name;
    int32_t key = 0;  // what the name is looked up as (kPlain, kType, an owner's members)
    uint32_t hash = 0;
    bool used = false;    // the slot holds the name
    bool filled = false;  // found, ambiguous and scope are the name's answer
    bool ambiguous = false;
    int32_t found = kNoDecl;  // a node or a declaration, as the caller keeps it
    int32_t scope = 0;
    int32_t external = -1;  // a module's memo: the name's index among the walk's external names
  };
  static constexpr int32_t kPlain = -1;
  static constexpr int32_t kType = -2;
  /// The entry of the name looked up as key: filled when it was kept, else a new one to fill.
  Entry& At(std::string_view name, uint32_t nameHash, int32_t key = kPlain) {
    if ((m_usedSlots.size() + 1) * 2 > m_slots.size()) Grow();
    const size_t mask = m_slots.size() - 1;
    const uint32_t hash = nameHash ^ (static_cast<uint32_t>(key) * 0x9E3779B1u);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Entry& e = m_slots[i];
      if (!e.used) {
        e.used = true;
        m_usedSlots.push_back(static_cast<uint32_t>(i));
        e.name = name;
        e.key = key;
        e.hash = hash;
        return e;
      }
      if (e.hash == hash && e.key == key && SameName(e.name, name)) return e;
    }
  }
  /// The entry of the name looked up as key, filled by fill(entry) when it was not kept yet.
  template <class Fill>
  Entry& Kept(std::string_view name, size_t nameHash, int32_t key, Fill&& fill) {
    Entry& e = At(name, static_cast<uint32_t>(nameHash), key);
    if (!e.filled) {
      e.filled = true;
      fill(e);
    }
    return e;
  }
  /// What an entry of a name answers: its declaration, with whether it is ambiguous and where.
  static int32_t Answer(const Entry& e, bool& ambiguous, int32_t& scope) {
    ambiguous = e.ambiguous;
    scope = e.scope;
    return e.found;
  }
  /// The entry of the name looked up as key; null when there is none.
  const Entry* Find(std::string_view name, uint32_t nameHash, int32_t key) const {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    const uint32_t hash = nameHash ^ (static_cast<uint32_t>(key) * 0x9E3779B1u);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Entry& e = m_slots[i];
      if (!e.used) return nullptr;
      if (e.hash == hash && e.key == key && SameName(e.name, name)) return &e;
    }
  }
  void Clear() {
    for (const uint32_t i : m_usedSlots) m_slots[i] = Entry{};
    m_usedSlots.clear();
  }

 private:
  void Grow() {
    std::vector<Entry> old(std::max<size_t>(64, m_slots.size() * 2));
    old.swap(m_slots);
    m_usedSlots.clear();
    const size_t mask = m_slots.size() - 1;
    for (const Entry& e : old) {
      if (!e.used) continue;
      size_t i = e.hash & mask;
      while (m_slots[i].used) i = (i + 1) & mask;
      m_slots[i] = e;
      m_usedSlots.push_back(static_cast<uint32_t>(i));
    }
  }
  std::vector<Entry> m_slots;
  std::vector<uint32_t> m_usedSlots;
};

}  // namespace qs::resolver
