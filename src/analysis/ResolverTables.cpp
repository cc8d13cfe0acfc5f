#include "analysis/ResolverTables.h"

namespace qs::resolver {

size_t NameTable::SlotOf(int32_t scopeKey, std::string_view name, uint32_t hash) const {
  const size_t mask = slots.size() - 1;
  for (size_t i = FirstSlot(hash, mask);; i = (i + 1) & mask) {
    const Slot& slot = slots[i];
    if (slot.head < 0) return i;
    if (slot.hash == hash && slot.scopeKey == scopeKey &&
        SameName((*decls)[static_cast<size_t>(nodes[static_cast<size_t>(slot.head)].decl)].name,
                 name))
      return i;
  }
}

void NameTable::Grow(size_t names) {
  size_t size = std::max<size_t>(1024, slots.size() * 2);
  while (names * 8 > size * 5) size *= 2;
  std::vector<Slot> old(size);
  old.swap(slots);
  const size_t mask = slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.head < 0) continue;
    size_t i = FirstSlot(slot.hash, mask);
    while (slots[i].head >= 0) i = (i + 1) & mask;
    slots[i] = slot;
  }
}

// Appends the declaration to the chain of its name in the scope. A name declared again with the
// same kind by the same owner in a scope of its module is a twin of an #If block: one declaration
// for the cross references, so it stays out.
void NameTable::Insert(int32_t scope, int32_t decl, int32_t space) {
  if (Canonical(decl) != decl) return;
  // At most 5/8 full: a name no scope declares ends its probe soon.
  if ((used + 1) * 8 > slots.size() * 5) Grow();
  CrossDeclaration& d = (*decls)[static_cast<size_t>(decl)];
  const int32_t key = scope * 4 + space;
  const uint32_t hash = SlotHash(nameHash[static_cast<size_t>(decl)], key);
  Slot& slot = slots[SlotOf(key, d.name, hash)];
  const auto node = static_cast<int32_t>(nodes.size());
  if (slot.head < 0) {
    slot = Slot{hash, key, node};
    ++used;
    nodes.push_back({decl, -1, node});
    return;
  }
  Node& head = nodes[static_cast<size_t>(slot.head)];
  if (scope >= 0 && d.kind != DeclKind::kControl) {
    // Other declarations of the name may stand between the twins (a property's Get before the
    // Let of its twin): the first kTwinScan of the chain are looked at.
    const int32_t parent = d.parent >= 0 ? Canonical(d.parent) : -1;
    int looked = 0;
    for (int32_t n = slot.head; n >= 0 && looked < kTwinScan;
         n = nodes[static_cast<size_t>(n)].next, ++looked) {
      const CrossDeclaration& o = (*decls)[static_cast<size_t>(nodes[static_cast<size_t>(n)].decl)];
      const int32_t otherParent = o.parent >= 0 ? Canonical(o.parent) : -1;
      if (o.kind == d.kind && o.module == d.module && parent == otherParent) {
        d.canonical = o.canonical;
        twinned[static_cast<size_t>(o.canonical)] = 1;
        return;
      }
    }
  }
  nodes[static_cast<size_t>(head.tail)].next = node;
  head.tail = node;
  nodes.push_back({decl, -1, node});
}

}  // namespace qs::resolver
