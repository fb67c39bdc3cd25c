// The secret of a dictionary's encrypted tables at rest: wrapped for each user, never in the file as it is.

#include <gtest/gtest.h>
#include <sodium.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ace/dict/dictionary.h"
#include "common/ace_error.h"
#include "common/temp_folder.h"

namespace ace::dict {
namespace {

using ace::testing::ErrorOf;

constexpr char kAdminPassword[] = "MOLAR3816";

class KeySlots : public ::testing::Test {
 protected:
  std::string AddPath() const { return (folder_.Path() / "ABC.add").string(); }
  std::string FileBytes() const {
    std::ifstream in(AddPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // True when the file holds the secret, as its text or as the bytes the text stands for.
  bool FileHolds(const std::string& secret) const {
    std::string raw(secret.size() / 2, '\0');
    sodium_hex2bin(reinterpret_cast<unsigned char*>(raw.data()), raw.size(), secret.data(), secret.size(), nullptr,
                   nullptr, nullptr);
    const std::string bytes = FileBytes();
    return bytes.find(secret) != std::string::npos || bytes.find(raw) != std::string::npos;
  }
  void Sql(const std::string& statements) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(AddPath().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
  }

  kv::testing::TempFolder folder_;
};

TEST_F(KeySlots, FileHoldsNoClearSecretAndACopyOpensOnlyForAUser) {
  std::string secret;
  {
    Dictionary dict = Dictionary::Create(AddPath(), kAdminPassword);
    dict.CreateUser("", "UTC", "qzn507", "");
    secret = dict.EncryptionSecret();
  }
  ASSERT_EQ(secret.size(), 64u);
  EXPECT_FALSE(FileHolds(secret));

  kv::testing::TempFolder elsewhere;
  const std::string copy = (elsewhere.Path() / "ABC.add").string();
  std::filesystem::copy_file(AddPath(), copy);
  Dictionary stolen = Dictionary::Open(copy);
  EXPECT_EQ(ErrorOf([&] { stolen.EncryptionSecret(); }).code, code::kAccessDenied);
  EXPECT_EQ(ErrorOf([&] { stolen.Login("UTC", "guess"); }).code, code::kDictionaryLoginFailed);
  EXPECT_EQ(ErrorOf([&] { stolen.EncryptionSecret(); }).code, code::kAccessDenied);
  // A slot moved to another user does not open for that user's password.
  Sql("UPDATE key_slots SET salt = (SELECT salt FROM key_slots WHERE accessor_id = 1), wrapped = (SELECT wrapped "
      "FROM key_slots WHERE accessor_id = 1) WHERE accessor_id = (SELECT id FROM accessors WHERE name = 'UTC')");
  Dictionary moved = Dictionary::Open(AddPath());
  EXPECT_EQ(ErrorOf([&] { moved.Login("UTC", kAdminPassword); }).code, code::kDictionaryLoginFailed);
  EXPECT_EQ(stolen.Login("utc", "qzn507").name, "UTC");  // the copy with a user's password: the real secret
  EXPECT_EQ(stolen.EncryptionSecret(), secret);
}

TEST_F(KeySlots, PasswordsChangeAndUsersGoWithTheirSlots) {
  Dictionary dict = Dictionary::Create(AddPath(), kAdminPassword);
  const std::string secret = dict.EncryptionSecret();
  dict.CreateUser("STAFF", "UTC", "qzn507", "");

  Dictionary other = Dictionary::Open(AddPath());
  EXPECT_EQ(ErrorOf([&] { other.SetPassword("UTC", "x"); }).code, code::kAccessDenied);  // no key: no new slot
  EXPECT_EQ(ErrorOf([&] { other.CreateUser("", "NEW", "x", ""); }).code, code::kAccessDenied);

  dict.SetPassword("utc", "rotated-1");
  EXPECT_EQ(ErrorOf([&] { other.Login("UTC", "qzn507"); }).code, code::kDictionaryLoginFailed);
  EXPECT_EQ(other.Login("UTC", "rotated-1").name, "UTC");
  EXPECT_EQ(other.EncryptionSecret(), secret);
  dict.SetPassword("ADSSYS", "new admin");
  EXPECT_EQ(Dictionary::Open(AddPath()).Login("ADSSYS", "new admin").name, "ADSSYS");
  EXPECT_EQ(ErrorOf([&] { dict.SetPassword("NOBODY", "x"); }).code, code::kObjectNotFound);
  EXPECT_EQ(ErrorOf([&] { dict.SetPassword("STAFF", "x"); }).code, code::kObjectNotFound);  // a group

  dict.DropUser("UTC");
  EXPECT_EQ(ErrorOf([&] { other.Login("UTC", "rotated-1"); }).code, code::kDictionaryLoginFailed);
  EXPECT_EQ(ErrorOf([&] { dict.DropUser("ADSSYS"); }).code, code::kInvalidArgument);
  EXPECT_EQ(dict.FindObjects(kind::kUser), std::vector<std::string>{"ADSSYS"});
  EXPECT_FALSE(FileHolds(secret));
}

// A dictionary of the earlier format kept the secret in clear text. It opens, and each user's first login moves
// the secret into that user's slot; the clear text goes with the last user moved.
TEST_F(KeySlots, EarlierFormatMovesItsSecretIntoSlotsAtLogins) {
  std::string secret;
  {
    Dictionary dict = Dictionary::Create(AddPath(), kAdminPassword);
    dict.CreateUser("", "UTC", "qzn507", "");
    secret = dict.EncryptionSecret();
  }
  Sql("DROP TABLE key_slots; UPDATE meta SET value = '1' WHERE key = 'version';"
      "INSERT INTO meta(key, value) VALUES ('secret', '" + secret + "'); VACUUM;");
  ASSERT_TRUE(FileHolds(secret));

  Dictionary dict = Dictionary::Open(AddPath());
  EXPECT_EQ(dict.Login("ADSSYS", kAdminPassword).name, "ADSSYS");
  EXPECT_EQ(dict.EncryptionSecret(), secret);
  EXPECT_TRUE(FileHolds(secret));  // UTC has no slot yet: its login still needs the clear secret
  Dictionary second = Dictionary::Open(AddPath());
  EXPECT_EQ(second.Login("UTC", "qzn507").name, "UTC");
  EXPECT_EQ(second.EncryptionSecret(), secret);
  EXPECT_FALSE(FileHolds(secret));
  Dictionary later = Dictionary::Open(AddPath());
  EXPECT_EQ(ErrorOf([&] { later.Login("UTC", "wrong"); }).code, code::kDictionaryLoginFailed);
  later.Login("UTC", "qzn507");
  EXPECT_EQ(later.EncryptionSecret(), secret);
}

}  // namespace
}  // namespace ace::dict
