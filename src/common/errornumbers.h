#pragma once

#include <QtGlobal>

// The program's own error numbers, in one place. They keep the numbers the classic desktop
// runtime gave the same failures, so an operator who looks a number up finds its familiar
// meaning. The modem driver and the database layer have tables of their own (kestrelerrors.h,
// dberrors.h): their numbers are part of those components' contracts.
namespace ErrorNumber {

constexpr qint32 kInvalidArgument = 5;      // a settings key or value the settings file cannot hold
constexpr qint32 kOverflow = 6;             // a number past its type's range; more lines than a list counts
constexpr qint32 kOutOfMemory = 7;
constexpr qint32 kTypeMismatch = 13;        // a setting that is not a number where one is needed
constexpr qint32 kInternal = 51;            // any failure that is not one of the program's own errors
constexpr qint32 kPermissionDenied = 70;
constexpr qint32 kFileIo = 75;
constexpr qint32 kPathNotFound = 76;
constexpr qint32 kMessageFileTooLarge = 31001;
constexpr qint32 kMessageFileNotUnicode = 31002;
constexpr qint32 kMessageFileNotText = 31003;

} // namespace ErrorNumber
