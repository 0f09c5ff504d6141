#include "mainframe.h"
