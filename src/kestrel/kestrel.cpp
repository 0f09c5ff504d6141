#include "kestrel.h"

#include "kestreldriver.h"

std::unique_ptr<SmsComponent> createKestrel()
{
    return std::make_unique<KestrelDriver>();
}
