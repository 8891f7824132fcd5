#include <gtest/gtest.h>

#include "LocaleOptions.h"

using namespace qpk;

TEST(Locale, ExactRowThenPrimaryLanguageThenEnglish) {
    EXPECT_EQ(localeForLanguageId(0x0407), "de_DE");
    EXPECT_EQ(localeForLanguageId(0x0807), "de_CH");
    EXPECT_EQ(localeForLanguageId(0x0409), "en_US");
    // An unknown sublanguage of German falls back to the bare language.
    EXPECT_EQ(localeForLanguageId(0x7c07), "de");
    EXPECT_EQ(localeForLanguageId(0x0000), "en");
    EXPECT_EQ(localeForLanguageId(0x03ff), "en");
}

TEST(Locale, FormatAsDefaultTakesTheLastOccurrence) {
    EXPECT_FALSE(formatAsDefault({L"setup.exe"}));
    EXPECT_TRUE(formatAsDefault({L"x", L"-Dsun.locale.formatasdefault=true"}));
    EXPECT_FALSE(formatAsDefault({L"-Dsun.locale.formatasdefault=true", L"-Dsun.locale.formatasdefault=yes"}));
    EXPECT_TRUE(formatAsDefault({L"-Dsun.locale.formatasdefault=no", L"-Dsun.locale.formatasdefault=true"}));
    EXPECT_FALSE(formatAsDefault({L"-Dsun.locale.formatasdefault=TRUE"}));
}

TEST(Locale, SplitGivesCountryOnlyForFiveCharacters) {
    std::string language, country;
    splitLocale("pt_BR");
    ASSERT_TRUE(languageCode(language));
    ASSERT_TRUE(countryCode(country));
    EXPECT_EQ(language, "pt");
    EXPECT_EQ(country, "BR");
    splitLocale("ja");
    ASSERT_TRUE(languageCode(language));
    EXPECT_EQ(language, "ja");
    EXPECT_FALSE(countryCode(country));
}
