#include "ace/core/cipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ace {
namespace {

TEST(Cipher, SealedUnitsOpenOnlyWithTheKeyAndAtTheirPlace) {
  const Cipher::Salt salt = Cipher::NewSalt();
  const Cipher right = Cipher::Derive("MOLAR3816", salt);
  const Cipher wrong = Cipher::Derive("molar3816", salt);
  EXPECT_NE(right.CheckValue(), wrong.CheckValue());
  EXPECT_EQ(Cipher::Derive("MOLAR3816", salt).CheckValue(), right.CheckValue());
  EXPECT_NE(Cipher::Derive("MOLAR3816", Cipher::NewSalt()).CheckValue(), right.CheckValue());

  const std::string plain = "S1234567D TAN AH KOW 4500.00";
  std::vector<std::uint8_t> sealed(plain.size() + Cipher::kOverhead);
  right.Seal(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size(), 42, sealed.data());
  EXPECT_EQ(std::string(sealed.begin(), sealed.end()).find("TAN AH KOW"), std::string::npos);

  std::vector<std::uint8_t> back(plain.size());
  ASSERT_TRUE(right.Open(sealed.data(), sealed.size(), 42, back.data()));
  EXPECT_EQ(std::string(back.begin(), back.end()), plain);
  EXPECT_FALSE(right.Open(sealed.data(), sealed.size(), 43, back.data()));  // moved to another record
  EXPECT_FALSE(wrong.Open(sealed.data(), sealed.size(), 42, back.data()));
  sealed[30] ^= 1;
  EXPECT_FALSE(right.Open(sealed.data(), sealed.size(), 42, back.data()));  // changed on disk
}

}  // namespace
}  // namespace ace
