#pragma once

#include "smscomponent.h"

#include <memory>

// The Kestrel SMS component: drives a GSM modem over AT commands in PDU mode. A port name
// that the program installed a port opener for (PortOpeners) is opened through it instead.
std::unique_ptr<SmsComponent> createKestrel();
