#include "gatewaydialog.h"

#include "common/namedwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

GatewayDialog::GatewayDialog(const GatewaySettings &s, QWidget *parent)
    : QDialog(parent), m_reportHost(s.reportHost), m_reportPort(s.reportPort)
{
    setObjectName(QStringLiteral("dlgGateway"));
    setWindowTitle(QStringLiteral("Gateway"));
    m_use = named(new QCheckBox(QStringLiteral("Send through this gateway instead of the modems"), this), "chkUseGateway",
                  QStringLiteral("Send through this gateway instead of the modems"));
    m_use->setChecked(s.use);
    const auto line = [this](const char *name, const QString &label, const QString &text) {
        auto *edit = named(new QLineEdit(text, this), name, label);
        return edit;
    };
    m_url = line("txtSendsmsUrl", QStringLiteral("sendsms address"), s.route.sendsmsUrl.toString());
    m_url->setPlaceholderText(QStringLiteral("http://kannel.example:13013/cgi-bin/sendsms"));
    m_url->setMinimumWidth(m_url->fontMetrics().horizontalAdvance(m_url->placeholderText()) + 16);
    m_user = line("txtGatewayUser", QStringLiteral("User name"), s.route.user);
    m_password = line("txtGatewayPassword", QStringLiteral("Password"), s.route.password);
    m_password->setEchoMode(QLineEdit::Password);
    m_sender = line("txtGatewaySender", QStringLiteral("Sender"), s.route.sender);
    m_smsc = line("txtGatewaySmsc", QStringLiteral("SMSC id"), s.route.smscId);
    m_validity = named(new QSpinBox(this), "spnGatewayValidity", QStringLiteral("Validity"));
    m_validity->setRange(0, 1000000);
    m_validity->setSpecialValueText(QStringLiteral("The SMSC's default"));
    m_validity->setSuffix(QStringLiteral(" minutes"));
    m_validity->setValue(std::max(0, s.route.validityMinutes));
    m_priority = named(new QComboBox(this), "cboGatewayPriority", QStringLiteral("Priority"));
    m_priority->addItems({QStringLiteral("Kannel's default"), QStringLiteral("0"), QStringLiteral("1"),
                          QStringLiteral("2"), QStringLiteral("3")});
    m_priority->setCurrentIndex(std::clamp(s.route.priority + 1, 0, 4));
    m_method = named(new QComboBox(this), "cboGatewayMethod", QStringLiteral("Method"));
    m_method->addItems({QStringLiteral("GET"), QStringLiteral("POST")});
    m_method->setCurrentIndex(s.route.post ? 1 : 0);
    m_inFlight = named(new QSpinBox(this), "spnGatewayInFlight", QStringLiteral("Requests at once"));
    m_inFlight->setRange(1, 64);
    m_inFlight->setValue(std::clamp(s.route.inFlight, 1, 64));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("sendsms address:"), m_url);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Sender:"), m_sender);
    form->addRow(QStringLiteral("SMSC id:"), m_smsc);
    form->addRow(QStringLiteral("Validity:"), m_validity);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    form->addRow(QStringLiteral("Method:"), m_method);
    form->addRow(QStringLiteral("Requests at once:"), m_inFlight);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblGatewayProblem"));
    m_problem->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GatewayDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GatewayDialog::reject);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_use);
    column->addLayout(form);
    column->addWidget(m_problem);
    column->addWidget(buttons);
}

GatewaySettings GatewayDialog::settings() const
{
    GatewaySettings s;
    s.use = m_use->isChecked();
    s.route.sendsmsUrl = QUrl(m_url->text().trimmed(), QUrl::StrictMode);
    s.route.user = m_user->text().trimmed();
    s.route.password = m_password->text();
    s.route.sender = m_sender->text().trimmed();
    s.route.smscId = m_smsc->text().trimmed();
    s.route.validityMinutes = m_validity->value();
    s.route.priority = m_priority->currentIndex() - 1;
    s.route.post = m_method->currentIndex() == 1;
    s.route.inFlight = m_inFlight->value();
    // Where delivery reports come back is not asked yet: runs through the gateway do not ask
    // Kannel for them.
    s.reportHost = m_reportHost;
    s.reportPort = m_reportPort;
    return s;
}

void GatewayDialog::accept()
{
    // A gateway that is off may be half filled in; one in use must work.
    const GatewaySettings s = settings();
    if (s.use) {
        if (const QStringList problems = s.problems(); !problems.isEmpty()) {
            m_problem->setText(problems.join(QLatin1Char('\n')));
            return;
        }
    }
    QDialog::accept();
}
