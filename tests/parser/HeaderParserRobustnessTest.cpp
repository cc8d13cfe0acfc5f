// Every header parser must survive any input: texts built from the pieces that steer the parsers,
// cut off anywhere, must give a result whose positions all lie inside the stream.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ProjectTestUtil.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"

namespace qs {
namespace {

const std::vector<std::string> kPieces = {
    "Begin",   "BEGIN",      "End",     "END",       "VB",     ".",     "Form",   "Label",
    "{",       "}",          "\"a.b\"", "\"\"",      "=",      ":",     "0000",   "Attribute",
    "VB_Name", "VB_Exposed", "VERSION", "\r\n",      " ",      "\t",    "#",      ";",
    "*",       "\\",         "G",       "Reference", "Object", "Class", "Module", "Name",
    "Startup", "ResFile32",  "Caption", "'",         "[",      "]",     "x",      "\n"};

// A small deterministic generator, so a failure can be reproduced from the seed.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

std::string RandomText(Lcg& rng, size_t pieces) {
  std::string text;
  for (size_t i = 0; i < pieces; ++i) text += kPieces[rng.Next() % kPieces.size()];
  return text;
}

TEST(HeaderParserRobustness, PositionsStayInsideTheStreamForAnyInput) {
  Lcg rng{12345};
  for (int round = 0; round < 400; ++round) {
    const std::string text = RandomText(rng, 1 + rng.Next() % 60);
    SCOPED_TRACE(text);

    auto form = testing::ParseForm(text);
    ASSERT_NE(form.header, nullptr);
    const int32_t formCount = form.stream->Count();
    EXPECT_GE(form.header->CodePtr, 0);
    EXPECT_LE(form.header->CodePtr, formCount);
    EXPECT_LT(form.header->AttributePtr, std::max(formCount, 1));
    for (const clsControlRecord& record : form.header->Controls()) {
      const auto* rec = &record;
      EXPECT_GE(rec->lPtr, 0);
      EXPECT_LT(rec->lPtr, std::max(formCount, 1));
      EXPECT_EQ(rec->lPtr, rec->lPtr2);
    }

    auto cls = testing::ParseClass(text);
    ASSERT_NE(cls.header, nullptr);
    EXPECT_GE(cls.header->CodePtr, 0);
    EXPECT_LE(cls.header->CodePtr, cls.stream->Count());
    EXPECT_TRUE(cls.header->Controls().empty());

    auto items = testing::ParseProject(text);
    ASSERT_NE(items, nullptr);
    const int32_t vbpCount = testing::Tokenize(text, testing::FileKind::Project)->Count();
    for (const auto& item : *items) {
      ASSERT_NE(item, nullptr);
      if (!item->vPtr) continue;
      EXPECT_GE(item->vPtr->first, 0);
      EXPECT_LE(item->vPtr->first, item->vPtr->second);
      EXPECT_LE(item->vPtr->second, vbpCount);
    }
  }
}

}  // namespace
}  // namespace qs
