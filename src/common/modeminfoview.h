#pragma once

class QLabel;
class QProgressBar;
class QTableWidget;

// The Tools tab's modem, SIM and network values: the modem refresh fills them, and so does a
// sending run as it reads the modem.
struct ModemInfoView
{
    QLabel *manufacturer = nullptr;
    QLabel *model = nullptr;
    QLabel *imei = nullptr;
    QLabel *imsi = nullptr;
    QLabel *network = nullptr;
    QProgressBar *signal = nullptr;
    // With several modems, a row of readings per modem (hidden with one).
    QTableWidget *modems = nullptr;
};
