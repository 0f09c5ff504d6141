#pragma once

#include "common/appcontext.h"

class MessageComposer;
class RecipientList;

// At start-up, for each run a crash interrupted (newest first): says what its journal knows
// and offers to put the numbers not sent and the message back into the window, asking
// apart about the one number that may already have the message. Either way the journal is
// closed (restored or dismissed), so the question comes once. Nothing is sent.
void offerInterruptedRuns(AppContext &context, RecipientList &list, MessageComposer &composer);
