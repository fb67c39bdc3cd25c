#include "platform/ini.h"

#include <gtest/gtest.h>

#include "common/temp_folder.h"

namespace kv::ini {
namespace {

TEST(Ini, MissingFileReadsEmpty) {
  testing::TempFolder dir;
  const IniFile ini = IniFile::Load(dir.SuitePath() + "KAVEN.ini");
  EXPECT_EQ(ini.ReadString("PATH", "DIR"), "");
  EXPECT_EQ(ini.ReadString("PATH", "DIR", "fallback"), "fallback");
}

TEST(Ini, ProfileRules) {
  testing::TempFolder dir;
  dir.Write("kaven.INI",
            "; installation settings\r\n"
            "[Path]\r\n"
            "  dir =  D:\\KV8\\  \r\n"
            "Dictionary=yes\r\n"
            "DIR=ignored, the first one wins\r\n"
            "garbage line\r\n"
            "[SETTING]\n"
            "ServerType = \"REMOTE\"\n"
            ";SERVERTYPE=LOCAL\n"
            "[path]\n"
            "EXTRA=from a repeated section\n");
  const IniFile ini = IniFile::Load(dir.SuitePath() + "KAVEN.ini");  // found without regard to case
  EXPECT_EQ(ini.ReadString("PATH", "DIR"), "D:\\KV8\\");
  EXPECT_EQ(ini.ReadString("path", "DICTIONARY"), "yes");
  EXPECT_EQ(ini.ReadString("Setting", "servertype"), "REMOTE");
  EXPECT_EQ(ini.ReadString("PATH", "EXTRA"), "");
  EXPECT_EQ(ini.ReadString("PATH", "MISSING"), "");
  EXPECT_EQ(ini.ReadString("NOSECTION", "DIR"), "");
}

TEST(Ini, KeysBeforeAnySectionBelongToNone) {
  const IniFile ini = IniFile::Parse("DIR=x\n[PATH]\nDIR=y\n");
  EXPECT_EQ(ini.ReadString("PATH", "DIR"), "y");
  EXPECT_EQ(ini.ReadString("PATH", "EMPTY"), "");
}

}  // namespace
}  // namespace kv::ini
