#pragma once

#include <QString>

class AppSettings;

// The web pages the Help menu opens. Each has a key under which the settings store's
// "Web Pages" section may give its address; the built-in table holds the addresses this
// version knows, and a page without one is not opened.
class WebPages {
public:
    struct Page {
        const char* key;
        const char* caption;  // the menu item without "&"
        const char* logText;  // the user-action log entry
        const char* address;  // empty: none known
    };
    static constexpr const char* kSection = "Web Pages";

    static const Page* Find(const QString& key);
    // The address to open: the stored one, else the built-in one; empty when there is none.
    static QString Address(AppSettings& settings, const QString& key);
    // What the user is told when a page has no address.
    static QString NoAddressText(const QString& key);
};
