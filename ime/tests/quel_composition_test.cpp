// Compositions typed through the scripted input method into a served host window: the
// records the host receives, their flags, the caret placement and the buffers' limits.
#include "quel_test_support.h"

namespace {

using queltest::Notifications;
using queltest::ServedHostTest;

class QuelComposition : public ServedHostTest {};

TEST_F(QuelComposition, TheHostReceivesCompositionAndResult) {
  ASSERT_TRUE(bridge_);
  ASSERT_EQ(_ExpImGetParentWnd(), host_);
  ASSERT_TRUE(ImmGetOpenStatus(ImmGetContext(host_))) << "language 2048 opens the system input method";
  Play("key K comp \"\\u304b\" attr 0 cursor 1\n"
       "key A comp \"\\u304b\\u3042\" attr 0 1 cursor 1 delta 1\n"
       "key SPACE result \"\\u4f73\"\n");
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_EQ(compositions.size(), 2u);
  const tagImeCompNotify& second = compositions[1].record;
  EXPECT_EQ(Text(second), u"\u304b\u3042");
  EXPECT_EQ(second.attributes[0], 0);
  EXPECT_EQ(second.attributes[1], 1);
  EXPECT_EQ(second.cursor, 1);
  EXPECT_EQ(second.deltaStart, 1);
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Text(results[0].record), u"\u4f73");
  EXPECT_EQ(results[0].record.attributes[0], 0);
}

}  // namespace
