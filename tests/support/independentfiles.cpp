#include "independentfiles.h"

#include <QFileInfo>

namespace {

const QString kFolder = QStringLiteral(QUILLO_FIXTURES_DIR);

// Returns (from itself only) after marking the running test as skipped or failed.
void requireFolder()
{
    const char *reason = "../shared/fixtures not found: independent files not checked";
    if (qEnvironmentVariable("QUILLO_REQUIRE_SHARED_FIXTURES") == QLatin1String("1"))
        FAIL() << reason << " (" << kFolder.toStdString() << "; QUILLO_REQUIRE_SHARED_FIXTURES=1)";
    GTEST_SKIP() << reason;
}

} // namespace

QString independentFile(const QString &relative)
{
    const QString file = kFolder + u'/' + relative;
    if (!QFileInfo(kFolder).isDir())
        requireFolder();
    else if (!QFileInfo(file).isReadable())
        ADD_FAILURE() << "missing or unreadable: " << file.toStdString();
    return file;
}

void IndependentFilesTest::SetUp()
{
    if (!QFileInfo(kFolder).isDir())
        requireFolder();
}
