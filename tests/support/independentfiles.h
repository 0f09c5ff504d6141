#pragma once

#include <QString>
#include <gtest/gtest.h>

// The independent files in ../shared/fixtures were written by other programs than this
// one, so they check our readers and our own test files against the real formats. Where
// the folder is missing, a test that reads them is skipped with the reason shown, or fails
// when QUILLO_REQUIRE_SHARED_FIXTURES=1 (as CI sets it).

// The path of a file in the folder. A missing folder marks the running test as above; a
// missing or unreadable file fails it.
QString independentFile(const QString &relative);

// For tests that read nothing else: they do not run at all without the folder.
class IndependentFilesTest : public testing::Test
{
protected:
    void SetUp() override;
};

template <typename Param>
class IndependentFilesParamTest : public IndependentFilesTest, public testing::WithParamInterface<Param>
{
};
