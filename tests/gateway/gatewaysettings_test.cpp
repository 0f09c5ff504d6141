// The gateway's keys in config.ini and its dialog.
#include "gateway/gatewaydialog.h"
#include "gateway/gatewaysettings.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

GatewaySettings example()
{
    GatewaySettings s;
    s.use = true;
    s.route.sendsmsUrl = QUrl(QStringLiteral("http://kannel.example:13013/cgi-bin/sendsms"));
    s.route.user = QStringLiteral("quillo");
    s.route.password = QStringLiteral("p=ss word");
    s.route.sender = QStringLiteral("ACME");
    s.route.smscId = QStringLiteral("modem1");
    s.route.validityMinutes = 1440;
    s.route.priority = 2;
    s.route.post = true;
    s.route.inFlight = 16;
    return s;
}

bool same(const GatewaySettings &a, const GatewaySettings &b)
{
    return a.use == b.use && a.route.sendsmsUrl == b.route.sendsmsUrl && a.route.user == b.route.user
        && a.route.password == b.route.password && a.route.sender == b.route.sender && a.route.smscId == b.route.smscId
        && a.route.validityMinutes == b.route.validityMinutes && a.route.priority == b.route.priority
        && a.route.post == b.route.post && a.route.inFlight == b.route.inFlight && a.reportHost == b.reportHost
        && a.reportPort == b.reportPort;
}

} // namespace

TEST(GatewaySettings, RoundTripThroughConfigIniAndTheDialog)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    EXPECT_FALSE(loadGatewaySettings(folder).use) << "no section: no gateway";
    saveGatewaySettings(folder, example());
    EXPECT_TRUE(same(loadGatewaySettings(folder), example()));
    GatewayDialog dialog(example());
    EXPECT_TRUE(same(dialog.settings(), example()));
}

TEST(GatewaySettings, BadValuesAreNamedByKey)
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Gateway]\r\nUse=1\r\nSendsmsUrl=ftp://x\r\nInFlight=lots\r\nPriority=9\r\nValidity=-5\r\n");
    ini.close();
    const QStringList problems = loadGatewaySettings(dir.path() + QLatin1Char('/')).problems();
    for (const char *key : {"SendsmsUrl", "User", "InFlight", "Priority", "Validity"})
        EXPECT_TRUE(problems.join(u'\n').contains(QStringLiteral("[Gateway] %1:").arg(QLatin1String(key)))) << key;

    // The dialog keeps a gateway in use from being saved with such values.
    GatewaySettings broken = example();
    broken.route.user.clear();
    GatewayDialog dialog(broken);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("lblGatewayProblem"))->text().contains(QLatin1String("User")));
    broken.use = false;
    GatewayDialog off(broken);
    off.accept();
    EXPECT_EQ(off.result(), QDialog::Accepted) << "a gateway turned off may be half filled in";
}
