// UseList: blocks of use records put together without copying, each use read back with the file
// its run of uses says, across blocks, files without uses and chunks of many uses.
#include <gtest/gtest.h>

#include <vector>

#include "model/CrossReferences.h"

namespace qs {
namespace {

// A block of `count` records at positions 0, 1, ... with the files' runs as given.
UseList::Block Records(size_t count, UseKind kind) {
  UseList::Block block;
  for (size_t i = 0; i < count; ++i) {
    UseRecord& r = block.emplace_back();
    r.pos = static_cast<int32_t>(i);
    r.decl = static_cast<int32_t>(i % 7);
    r.from = 3;
    r.line = static_cast<int32_t>(i / 10 + 1);
    r.columnKind = UseRecord::Pack(static_cast<int32_t>(i % 10 + 1), kind);
  }
  return block;
}

TEST(UseList, UsesReadBackWithTheirFilesAcrossBlocksAndChunks) {
  UseList list;
  // File 0: 3 uses; file 1: none (its run starts where file 2's does); file 2: 2500 uses, so
  // that its uses span chunks.
  list.Append(Records(2503, UseKind::kWrite), {{0, 0}, {3, 1}, {3, 2}});
  list.Append(UseList::Block{}, {{0, 3}});  // a walk without uses adds nothing
  // File 4: 5 uses, file 5: 1.
  list.Append(Records(6, UseKind::kCall), {{0, 4}, {5, 5}});
  ASSERT_EQ(list.size(), 2509u);
  std::vector<int32_t> modules;
  size_t index = 0;
  for (const CrossUse& u : list) {
    const CrossUse byIndex = list[index];
    EXPECT_EQ(u.module, byIndex.module) << index;
    const size_t inBlock = index < 2503 ? index : index - 2503;
    EXPECT_EQ(u.pos, static_cast<int32_t>(inBlock)) << index;
    EXPECT_EQ(u.column, static_cast<int32_t>(inBlock % 10 + 1)) << index;
    EXPECT_EQ(u.line, static_cast<int32_t>(inBlock / 10 + 1)) << index;
    EXPECT_EQ(u.kind, index < 2503 ? UseKind::kWrite : UseKind::kCall) << index;
    if (modules.empty() || modules.back() != u.module) modules.push_back(u.module);
    ++index;
  }
  EXPECT_EQ(modules, (std::vector<int32_t>{0, 2, 4, 5}));
  EXPECT_EQ(list[2].module, 0);
  EXPECT_EQ(list[3].module, 2);
  EXPECT_EQ(list[2502].module, 2);
  EXPECT_EQ(list[2508].module, 5);
  EXPECT_EQ(list[2509].decl, 0);  // past the end: an empty use
}

}  // namespace
}  // namespace qs
