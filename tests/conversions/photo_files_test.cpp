// Photos out to "c:\temp" as JPEG files and back in from "c:\temp\photo", with the drive mapped into the test's
// own folder.

#include <gmock/gmock.h>

#include "conversions/photo_files.h"
#include "conversions/records_fixture.h"
#include "platform/picture.h"
#include "platform/whole_file.h"

namespace kv::conversions::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

picture::Image Gradient(int width, int height) {
  picture::Image image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 128});
  return image;
}

class Photos : public Records {
 protected:
  void SetUp() override {
    Records::SetUp();
    previousRoot_ = kv::fs::DriveRoot();
    kv::fs::SetDriveRoot(drives.Path());
    Make("EMPLOYEE", {{"EMP_NO", FT::ftString, 12}, {"PHOTO_ID", FT::ftBlob}}, {"EMP_NO=EMP_NO"},
         {{{"EMP_NO", "E1"}}, {{"EMP_NO", "E2"}}, {{"EMP_NO", "E3"}}, {{"EMP_NO", "E4"}}}, true);
    AdsConnection1.Connect();
  }
  void TearDown() override {
    kv::fs::SetDriveRoot(previousRoot_);
    Records::TearDown();
  }
  // The employee table opened on the employee, as the suite opens it.
  void OnEmployee(engine::TAdsTable& t, const std::string& employee) {
    t.SetAdsConnection(&AdsConnection1);
    t.SetTableName("EMPLOYEE");
    t.SetIndexFieldNames("EMP_NO");
    t.Open();
    t.EnableEncryption(engine::kTablePassword);
    ASSERT_TRUE(t.FindKey({employee}));
  }
  void StorePhoto(const std::string& employee, const picture::Bytes& bytes) {
    engine::TAdsTable t;
    OnEmployee(t, employee);
    t.Edit();
    t.FieldByName("PHOTO_ID").SetAsBlob(bytes);
    t.Post();
    t.Close();
  }
  picture::Bytes PhotoOf(const std::string& employee) {
    engine::TAdsTable t;
    OnEmployee(t, employee);
    picture::Bytes bytes = t.FieldByName("PHOTO_ID").AsBlob();
    t.Close();
    return bytes;
  }
  kv::testing::TempFolder drives;

 private:
  std::filesystem::path previousRoot_;
};

// E1 keeps a bitmap, E2 a JPEG, E3 something that is no picture, E4 nothing. "c:\temp" is not there yet.
TEST_F(Photos, StoredPhotosGoOutAsJpegFilesAndWhatIsNoPictureIsReported) {
  const picture::Bytes jpeg = picture::EncodeJpeg(Gradient(16, 8));
  StorePhoto("E1", picture::EncodeBitmap(Gradient(24, 12)));
  StorePhoto("E2", jpeg);
  StorePhoto("E3", {'G', 'I', 'F', '8', '9', 'a'});
  RecordObjects w = Objects();
  SavePhotoFiles(w);

  const picture::Image fromBitmap = picture::DecodeJpeg(kv::fs::ReadWholeFile("c:\\temp\\E1.jpg"));
  EXPECT_EQ(fromBitmap.width, 24);
  EXPECT_EQ(fromBitmap.height, 12);
  EXPECT_EQ(kv::fs::ReadWholeFile("c:\\temp\\E2.jpg"), jpeg);  // a JPEG goes out unchanged
  EXPECT_FALSE(kv::fs::FileExists("c:\\temp\\E3.jpg"));
  EXPECT_FALSE(kv::fs::FileExists("c:\\temp\\E4.jpg"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], HasSubstr("Employee No E3 is not a picture"));
  EXPECT_FALSE(AdsTable1.Active());
}

TEST_F(Photos, JpegFilesComeBackIntoTheirEmployeesAndWhatIsNoPictureIsReportedNotStored) {
  kv::fs::CreateFolders("c:\\temp\\photo");
  const picture::Bytes jpeg = picture::EncodeJpeg(Gradient(10, 10));
  kv::fs::WriteWholeFile("c:\\temp\\photo\\E1.jpg", jpeg);
  kv::fs::WriteWholeFile("c:\\temp\\photo\\e2.JPG", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  StorePhoto("E2", picture::EncodeBitmap(Gradient(2, 2)));
  RecordObjects w = Objects();
  LoadPhotoFiles(w);
  EXPECT_EQ(PhotoOf("E1"), jpeg);
  EXPECT_EQ(PhotoOf("E2"), picture::EncodeBitmap(Gradient(2, 2)));
  EXPECT_THAT(PhotoOf("E3"), IsEmpty());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_THAT(ui.Messages()[0], HasSubstr("E2.jpg is not a picture"));
}

TEST(PhotoFileNames, EmployeeNumbersThatWouldLeaveTheFolderNameNoFile) {
  for (const char* bad : {"", ".", "..", "..\\x", "a/b", "c:x"}) EXPECT_FALSE(UsableAsFileName(bad)) << bad;
  for (const char* good : {"E0001", "S-12.A"}) EXPECT_TRUE(UsableAsFileName(good)) << good;
}

}  // namespace
}  // namespace kv::conversions::testing
