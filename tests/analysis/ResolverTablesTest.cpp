// The cross-reference resolver's name tables as units: the run's name table (chains of same-named
// declarations per scope and name space, #If twins kept out, growth) and the walk's memo of names
// looked up, over many names, with hashes made to collide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/ResolverTables.h"

namespace qs::resolver {
namespace {

// Declarations and the name table over them, as the resolver keeps them.
struct Declared {
  std::vector<CrossDeclaration> decls;
  std::deque<std::string> names;  // the names' bytes (declarations hold views)
  NameTable table;
  Declared() { table.decls = &decls; }
  // hash: the name's hash as the table keeps it; -1 for HashNoCase1252's.
  int32_t Add(const std::string& name, DeclKind kind = DeclKind::kVariable, int32_t module = 0,
              int32_t parent = -1, int64_t hash = -1) {
    const auto id = static_cast<int32_t>(decls.size());
    const std::string& kept = names.emplace_back(name);
    decls.push_back(NewDecl(kind, nullptr, kept, module, parent, -1, id));
    table.nameHash.push_back(hash < 0 ? static_cast<uint32_t>(HashNoCase1252(kept))
                                      : static_cast<uint32_t>(hash));
    table.twinned.push_back(0);
    return id;
  }
  // The declarations of the name's chain in the scope, in order.
  std::vector<int32_t> Chain(int32_t scope, std::string_view name, int32_t space = kNames) const {
    std::vector<int32_t> found;
    for (int32_t n = table.Find(scope, name, space); n >= 0; n = table.Next(n))
      found.push_back(table.Decl(n));
    return found;
  }
  std::vector<int32_t> ChainHashed(int32_t scope, std::string_view name, uint32_t hash) const {
    std::vector<int32_t> found;
    for (int32_t n = table.FindHashed(scope, name, hash); n >= 0; n = table.Next(n))
      found.push_back(table.Decl(n));
    return found;
  }
};

// Many names in many scopes and both name spaces: each is found under its scope, space and any
// spelling of its case, in the order put in, and nowhere else; the table grows as it fills.
TEST(ResolverNameTable, FindsEveryNameInItsScopeAfterGrowing) {
  Declared run;
  constexpr int kNamesPut = 6000;
  const int32_t scopes[] = {kPublicScope, kModuleScope, 0, 7, 123};
  // What each (scope, space, upper-cased name) should give, in the order put in.
  std::map<std::tuple<int32_t, int32_t, std::string>, std::vector<int32_t>> expected;
  for (int i = 0; i < kNamesPut; ++i) {
    const std::string name = "Name" + std::to_string(i % 1500);  // each name in four places
    const int32_t scope = scopes[i % 5];
    const int32_t space = (i / 1500) % 2 == 0 ? kNames : kTypes;
    // Modules differ, so that none is a twin of another.
    const int32_t decl = run.Add(name, DeclKind::kVariable, i);
    run.table.Insert(scope, decl, space);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    expected[{scope, space, upper}].push_back(decl);
  }
  EXPECT_GE(run.table.slots.size() * 5, run.table.used * 8);  // at most 5/8 full
  EXPECT_EQ(run.table.used, expected.size());
  EXPECT_EQ(run.table.nodes.size(), static_cast<size_t>(kNamesPut));
  for (const auto& [key, decls] : expected) {
    const auto& [scope, space, upper] = key;
    EXPECT_EQ(run.Chain(scope, upper, space), decls) << upper << " in " << scope << "/" << space;
  }
  // Names, scopes and spaces nothing was put in.
  EXPECT_EQ(run.table.Find(kPublicScope, "Name1500"), -1);
  EXPECT_EQ(run.table.Find(999, "Name1"), -1);
  EXPECT_EQ(run.table.Find(kPublicScope, "Name1", 1), -1);
  EXPECT_EQ(run.table.Find(0, "Name"), -1);
  EXPECT_EQ(run.table.Find(0, "Name00"), -1);
}

// Names whose hashes are all the same: only the names tell them apart, before and after growth,
// and a name not put in still ends its probe.
TEST(ResolverNameTable, TellsCollidingNamesApart) {
  Declared run;
  constexpr int kColliding = 3000;
  for (int i = 0; i < kColliding; ++i) {
    const int32_t d = run.Add("c" + std::to_string(i), DeclKind::kSub, i, -1, 42);
    run.table.Insert(kModuleScope, d);
  }
  EXPECT_GT(run.table.slots.size(), 1024u);  // grown past its first size
  for (int i = 0; i < kColliding; i += 7) {
    const std::string name = "C" + std::to_string(i);
    EXPECT_EQ(run.ChainHashed(kModuleScope, name, 42), std::vector<int32_t>{i}) << name;
  }
  EXPECT_TRUE(run.ChainHashed(kModuleScope, "c3000", 42).empty());
  EXPECT_TRUE(run.ChainHashed(kPublicScope, "c1", 42).empty());
  // Grown to a size asked for, every name is where a probe finds it.
  run.table.Grow(50000);
  EXPECT_GE(run.table.slots.size() * 5, size_t{50000} * 8);
  for (int i = 0; i < kColliding; i += 11)
    EXPECT_EQ(run.ChainHashed(kModuleScope, "c" + std::to_string(i), 42), std::vector<int32_t>{i});
}

// A name declared again by the same owner with the same kind in a scope of its module is an #If
// twin: it stays out of the chain and names the first as its canonical declaration.
TEST(ResolverNameTable, KeepsTwinsOutOfTheChain) {
  struct Decl {
    DeclKind kind;
    int32_t module;
    int32_t scope;
    int32_t canonical;  // expected: the index of the declaration it is a twin of, else itself
  };
  struct Case {
    const char* name;
    std::vector<Decl> decls;  // all named "X"; scope -1: the public scope
  };
  const Case cases[] = {
      {"same kind, module and owner: a twin",
       {{DeclKind::kSub, 0, 5, 0}, {DeclKind::kSub, 0, 5, 0}, {DeclKind::kSub, 0, 5, 0}}},
      {"another kind is no twin",
       {{DeclKind::kPropertyGet, 0, 5, 0}, {DeclKind::kPropertyLet, 0, 5, 1}}},
      {"the twin after another declaration of the name",
       {{DeclKind::kPropertyGet, 0, 5, 0},
        {DeclKind::kPropertyLet, 0, 5, 1},
        {DeclKind::kPropertyLet, 0, 5, 1}}},
      {"another module is no twin", {{DeclKind::kSub, 0, 5, 0}, {DeclKind::kSub, 1, 5, 1}}},
      {"controls are never twins", {{DeclKind::kControl, 0, 5, 0}, {DeclKind::kControl, 0, 5, 1}}},
      {"the public scope has no twins", {{DeclKind::kSub, 0, -1, 0}, {DeclKind::kSub, 0, -1, 1}}},
  };
  for (const Case& c : cases) {
    Declared run;
    std::vector<int32_t> chained;
    for (const Decl& d : c.decls) {
      const int32_t id = run.Add("X", d.kind, d.module);
      run.table.Insert(d.scope, id);
      if (run.decls[static_cast<size_t>(id)].canonical == id) chained.push_back(id);
    }
    for (size_t i = 0; i < c.decls.size(); ++i) {
      EXPECT_EQ(run.decls[i].canonical, c.decls[i].canonical) << c.name << ", declaration " << i;
      const bool shared = c.decls[i].canonical == static_cast<int32_t>(i) &&
                          std::any_of(c.decls.begin(), c.decls.end(), [&](const Decl& o) {
                            return &o != &c.decls[i] && o.canonical == static_cast<int32_t>(i);
                          });
      EXPECT_EQ(run.table.twinned[i], shared ? 1 : 0) << c.name << ", declaration " << i;
    }
    EXPECT_EQ(run.Chain(c.decls[0].scope, "x"), chained) << c.name;
  }
}

// Past the first kTwinScan declarations of a name in a scope the chain is not searched: a name
// declared very often costs no quadratic work, and a late twin joins the chain.
TEST(ResolverNameTable, LooksForTwinsAmongTheFirstDeclarationsOnly) {
  Declared run;
  for (int i = 1; i <= kTwinScan; ++i) run.table.Insert(3, run.Add("N", DeclKind::kVariable, i));
  const int32_t late = run.Add("N", DeclKind::kVariable, 100);
  run.table.Insert(3, late);
  // The twin of the late one is past the scan: it joins the chain.
  const int32_t lateTwin = run.Add("N", DeclKind::kVariable, 100);
  run.table.Insert(3, lateTwin);
  EXPECT_EQ(run.decls[static_cast<size_t>(lateTwin)].canonical, lateTwin);
  EXPECT_EQ(run.Chain(3, "n").size(), static_cast<size_t>(kTwinScan + 2));
  // The twin of one scanned is found.
  const int32_t early = run.Add("N", DeclKind::kVariable, 1);
  run.table.Insert(3, early);
  EXPECT_EQ(run.decls[static_cast<size_t>(early)].canonical, 0);
  EXPECT_EQ(run.table.twinned[0], 1);
  EXPECT_EQ(run.Chain(3, "n").size(), static_cast<size_t>(kTwinScan + 2));
}

// What a chain gives: the first declaration that is no Property Let or Set, else the first.
TEST(ResolverNameTable, BestPrefersAPropertysGet) {
  struct Case {
    std::vector<DeclKind> kinds;
    int32_t best;
  };
  const Case cases[] = {
      {{DeclKind::kPropertyLet, DeclKind::kPropertySet, DeclKind::kPropertyGet}, 2},
      {{DeclKind::kPropertySet, DeclKind::kPropertyLet}, 0},
      {{DeclKind::kVariable, DeclKind::kPropertyGet}, 0},
      {{DeclKind::kPropertyLet, DeclKind::kSub}, 1},
  };
  for (const Case& c : cases) {
    Declared run;
    for (const DeclKind k : c.kinds)
      run.table.Insert(0, run.Add("P", k, static_cast<int32_t>(run.decls.size())));
    EXPECT_EQ(run.table.Best(run.table.Find(0, "p")), c.best) << c.kinds.size();
  }
}

// The walk's memo: each name once per key, found again in any case, kept answers surviving the
// memo's growth, and nothing left once cleared.
TEST(ResolverLookupMemo, KeepsOneEntryPerNameAndKey) {
  LookupMemo memo;
  std::deque<std::string> names;
  constexpr int kKept = 2000;
  const int32_t keys[] = {LookupMemo::kPlain, LookupMemo::kType, 17};
  for (int i = 0; i < kKept; ++i) {
    const std::string& name = names.emplace_back("v" + std::to_string(i));
    // Half the names with one hash: the names tell them apart.
    const uint32_t hash = i % 2 == 0 ? 7u : static_cast<uint32_t>(HashNoCase1252(name));
    for (const int32_t key : keys) {
      int fills = 0;
      memo.Kept(name, hash, key, [&](LookupMemo::Entry& e) {
        ++fills;
        e.found = i * 10 + key;
      });
      memo.Kept(name, hash, key, [&](LookupMemo::Entry&) { ++fills; });
      EXPECT_EQ(fills, 1) << name;
    }
  }
  for (int i = 0; i < kKept; i += 3) {
    const std::string upper = "V" + std::to_string(i);
    const uint32_t hash = i % 2 == 0 ? 7u : static_cast<uint32_t>(HashNoCase1252(upper));
    for (const int32_t key : keys) {
      const LookupMemo::Entry* e = memo.Find(upper, hash, key);
      ASSERT_NE(e, nullptr) << upper << " " << key;
      EXPECT_EQ(e->found, i * 10 + key);
      EXPECT_TRUE(e->filled);
    }
    EXPECT_EQ(memo.Find(upper, hash, 18), nullptr);
  }
  EXPECT_EQ(memo.Find("v2000", static_cast<uint32_t>(HashNoCase1252("v2000")), -1), nullptr);
  memo.Clear();
  EXPECT_EQ(memo.Find("v1", static_cast<uint32_t>(HashNoCase1252("v1")), LookupMemo::kPlain),
            nullptr);
  LookupMemo::Entry& fresh = memo.At("v1", static_cast<uint32_t>(HashNoCase1252("v1")));
  EXPECT_FALSE(fresh.filled);
  EXPECT_EQ(fresh.found, kNoDecl);
  EXPECT_EQ(fresh.external, -1);
}

}  // namespace
}  // namespace qs::resolver
