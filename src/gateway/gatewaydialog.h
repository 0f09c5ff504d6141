#pragma once

#include "gateway/gatewaysettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Gateway": the Kannel smsbox runs may send through instead of the modems. OK is refused
// (with the reason shown in the dialog) while the gateway is turned on with values it
// cannot use.
class GatewayDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GatewayDialog(const GatewaySettings &settings, QWidget *parent = nullptr);

    GatewaySettings settings() const;
    void accept() override;

private:
    QCheckBox *m_use = nullptr;
    QLineEdit *m_url = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_sender = nullptr;
    QLineEdit *m_smsc = nullptr;
    QSpinBox *m_validity = nullptr;
    QComboBox *m_priority = nullptr;
    QComboBox *m_method = nullptr;
    QSpinBox *m_inFlight = nullptr;
    QString m_reportHost;
    quint16 m_reportPort = 0;
    QLabel *m_problem = nullptr;
};
