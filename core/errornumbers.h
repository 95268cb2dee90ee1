#pragma once
// The run-time error numbers the program reports in its messages ("Exit Err = 75",
// "SaveAFFileEr:  62   0"). They are the numbers users and old notes know, so they stay.

namespace err
{
constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kDiskFull = 61;
constexpr int kPastEndOfFile = 62;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
} // namespace err
