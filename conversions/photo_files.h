#pragma once
// Employee photos out to files and back: the export writes each stored photo as "c:\temp\" + emp_no + ".jpg",
// the import loads "c:\temp\photo\" + emp_no + ".jpg" into the employee's PHOTO_ID where that file exists.
// Photos go out as JPEG files whatever form they are stored in (a stored bitmap is converted); a stored photo or
// a file that is no readable picture is reported in a message box and neither written nor stored, and the
// conversion goes on with the next employee. Other failures (the folder cannot be made, a file cannot be
// written or read) end the conversion with their error.

#include "conversions/record_objects.h"

namespace kv::conversions {

inline constexpr const char* kPhotoExportFolder = "c:\\temp\\";
inline constexpr const char* kPhotoImportFolder = "c:\\temp\\photo\\";

// The export folder is made (with its parents) when missing.
void SavePhotoFiles(RecordObjects& w);
void LoadPhotoFiles(RecordObjects& w);

// Whether an employee number can name a file in a folder without reaching outside it.
bool UsableAsFileName(const std::string& employee);

}  // namespace kv::conversions
