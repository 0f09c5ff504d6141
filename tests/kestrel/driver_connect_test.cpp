#include "kestrelerrors.h"
#include "modemsimprocess.h"

#include <gtest/gtest.h>
