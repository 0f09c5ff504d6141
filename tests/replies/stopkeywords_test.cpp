// Which reply texts are stop requests: the word alone with padding, in any case, the
// configured words of a language, and sentences that only hold the word.
#include "replies/stopkeywords.h"

#include <gtest/gtest.h>

namespace {

TEST(StopKeywords, OnlyAStopWordAloneIsAStopRequest)
{
    struct Case
    {
        const char *name;
        QString text;
        bool stop;
    };
    const Case cases[] = {
        {"BareWord", "STOP", true},
        {"SpacesAndFullStop", " stop. ", true},
        {"Exclamation", "Stop!", true},
        {"LowerCaseOtherWord", "unsubscribe", true},
        {"QuotesAndNewline", "\"StopAll\"\r\n", true},
        {"ConfiguredWord", "ARRET", true},
        {"ConfiguredAccentedWordLowerCase", QString::fromUtf8("arrêt"), true},
        {"Sentence", "please don't stop", false},
        {"LongerWord", "STOPPED", false},
        {"WordWithObject", "stop it", false},
        {"Empty", "", false},
        {"PunctuationOnly", "?!", false},
        {"BlankConfiguredEntryMatchesNothing", " ", false},
    };
    const StopKeywords keywords({"ARRET", QString::fromUtf8("ARRÊT"), " "});
    for (const Case &c : cases)
        EXPECT_EQ(keywords.isStopRequest(c.text), c.stop) << c.name;
    EXPECT_FALSE(StopKeywords().isStopRequest("ARRET")) << "a configured word only with its list";
}

} // namespace
