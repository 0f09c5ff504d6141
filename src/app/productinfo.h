#pragma once

#include <QString>

// What Quillo says about itself: the version texts, the legal notices and the maker's
// addresses. The version numbers come from the build (project(VERSION ...) in CMake), so a
// release changes them in one place.
namespace ProductInfo {

struct Version
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The version this program was built as.
Version buildVersion();

// "Version 2.0": the splash window's version line.
QString splashVersionText(const Version &version = buildVersion());
// "Quillo Version 2.0.58": ProductVersionText, shown on the About tab.
QString productVersionText(const Version &version = buildVersion());

// The two legal notices of the About tab.
QString legalCopyright();
QString legalNotice();
// The splash window's legal text: the copyright, the rights reserved and the web address, on
// three lines.
QString splashLegalText();

// The maker's addresses. They sit on a reserved example domain until the project has a home
// of its own; change them here and nowhere else.
QString webSiteUrl();      // opened by the About tab's web-site link
QString webSiteText();     // what lblWebsite shows
QString supportPageUrl();  // Help > Online Support
QString supportEmail();    // lblEmail shows it; the click opens "mailto:" + this

} // namespace ProductInfo
