#include "platform/linux/desktop_entry.h"

#include <gtest/gtest.h>

namespace kovra::linux_proc {
namespace {

TEST(DesktopEntry, ReadsTheMainGroupOnly) {
  auto e = parseDesktopEntry(
      "# comment\n[Desktop Entry]\nType=Application\nName=Text Editor\nName[tr]=Metin\\sDüzenleyici\n"
      "Name[tr]=second\nExec=gedit %U\nTryExec = gedit\n\n[Desktop Action new]\nName=New\nExec=other\n");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->type, "Application");
  EXPECT_EQ(e->name, "Text Editor");
  EXPECT_EQ(e->nameTr, "Metin Düzenleyici");
  EXPECT_EQ(e->exec, "gedit %U");
  EXPECT_EQ(e->tryExec, "gedit");
  EXPECT_FALSE(e->hidden);
  EXPECT_TRUE(parseDesktopEntry("[Desktop Entry]\nHidden=true\n")->hidden);
  EXPECT_FALSE(parseDesktopEntry("[Other]\nName=x\n"));
  EXPECT_FALSE(parseDesktopEntry(""));
  EXPECT_EQ(keyFileValue("[Application]\nname=org.example.Chat\nruntime=x\n", "Application", "name"),
            "org.example.Chat");
  EXPECT_FALSE(keyFileValue("[Instance]\nname=x\n", "Application", "name"));
}

TEST(DesktopEntry, ExecQuotingAndTheProgram) {
  EXPECT_EQ(splitExec(R"("/opt/My App/bin/app" --flag "a \"q\"" %f)"),
            (std::vector<std::string>{"/opt/My App/bin/app", "--flag", "a \"q\""}));
  EXPECT_EQ(splitExec("app 100%%"), (std::vector<std::string>{"app", "100%"}));
  EXPECT_EQ(execProgram("env FOO=1 BAR=2 /usr/bin/app %u"), "/usr/bin/app");
  EXPECT_EQ(execProgram("/usr/bin/env -u X app"), "app");
  EXPECT_FALSE(execProgram("env A=1"));
  EXPECT_FALSE(execProgram(""));
  EXPECT_FALSE(execProgram("%u"));
  EXPECT_EQ(execProgram("\"unterminated"), "unterminated");
}

}  // namespace
}  // namespace kovra::linux_proc
