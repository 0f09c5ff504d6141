#pragma once

#include "smscomponent.h"

#include <memory>

// The Kestrel SMS component: drives a GSM modem over AT commands in PDU mode. The port
// "SIMULATOR" talks to a simulated modem inside this process.
std::unique_ptr<SmsComponent> createKestrel();
