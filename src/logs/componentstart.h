#pragma once

#include "common/appcontext.h"

#include <memory>

// The box every modem operation shows when its SMS component cannot be started.
QString componentStartErrorText();

// A fresh SMS component for one modem operation (a run, a refresh, a modem-log clear), or
// null after the operator was shown componentStartErrorText() with the critical icon.
std::unique_ptr<SmsComponent> startSmsComponent(AppContext &context);
