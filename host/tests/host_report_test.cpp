// The printed forms of a description: the indented tree and JSON that python's json module reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include <vantorel/report_value.h>

namespace {

using vantorel::Value;

Value Sample() {
  Value root = Value::MakeObject();
  root.Set("title", "Tab\tand \"quote\" \\ \x01 caf\xC3\xA9");
  root.Set("count", 3);
  root.Set("empty", Value::MakeArray());
  Value list = Value::MakeArray();
  list.Push(1), list.Push("two"), list.Push(true);
  root.Set("scalars", list);
  Value topics = Value::MakeArray();
  for (const char* name : {"A", "B"}) {
    Value t = Value::MakeObject();
    t.Set("text", name);
    Value inner = Value::MakeObject();
    inner.Set("x", -5);
    t.Set("format", inner);
    topics.Push(t);
  }
  root.Set("children", topics);
  return root;
}

TEST(HostReport, TreeForm) {
  EXPECT_EQ(vantorel::FormatTree(Sample()),
            "title: \"Tab\\tand \\\"quote\\\" \\\\ \\u0001 caf\xC3\xA9\"\n"
            "count: 3\n"
            "empty: []\n"
            "scalars: [1, \"two\", true]\n"
            "children:\n"
            "  - text: \"A\"\n"
            "    format:\n"
            "      x: -5\n"
            "  - text: \"B\"\n"
            "    format:\n"
            "      x: -5\n");
}

TEST(HostReport, JsonFormParsesWithPython) {
  char path[] = "/tmp/host_report_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << vantorel::FormatJson(Sample());
  std::string command = std::string("/usr/bin/python3 -m json.tool ") + path + " > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << vantorel::FormatJson(Sample());
  std::remove(path);
}

}  // namespace
