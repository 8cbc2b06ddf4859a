#pragma once
// The settings tree of the demos (an editor's settings dialog, on Qt and on
// the platform's control on Windows): sections of check boxes and option
// buttons, with the styles and notes (tags) of a new dialog. The Windows
// tests build the same tree.

#include <cstdint>
#include <vector>

namespace demo_settings {

struct Item {
    const char* key;
    const char* text;
    int32_t style;  // TVSNodeStyle: 1 check box off, 2 on, 3 option off, 4 on
    const char* tag;
};

struct Section {
    const char* key;
    const char* text;
    const char* tag;
    std::vector<Item> items;
};

inline const std::vector<Section>& sections() {
    static const std::vector<Section> all = {
        {"S1", "Text formatting", "How new text looks",
         {{"CBbold", "Bold", 1, "Shows new text in bold type"},
          {"CBitalic", "Italic", 2, "Slants new text"},
          {"CBunder", "Underline", 1, "Draws a line under new text"},
          {"CBstrike", "Strikethrough", 1, "Draws a line through new text"}}},
        {"S2", "Alignment", "Where lines start and end",
         {{"OBleft", "Left", 4, "Lines start at the left margin"},
          {"OBcentre", "Centred", 3, "Lines are centred between the margins"},
          {"OBright", "Right", 3, "Lines end at the right margin"},
          {"OBjustify", "Justified", 3, "Lines reach both margins"}}},
        {"S3", "Saving", "When and how documents are saved",
         {{"CBautosave", "Save automatically every 10 minutes", 2, "Saves open documents"},
          {"CBbackup", "Keep a backup copy", 1, "Keeps the previous version beside it"},
          {"OBplain", "Save as plain text", 4, "Only the characters are saved"},
          {"OBrich", "Save as rich text", 3, "Formatting is saved too"}}},
        {"S4", "Line endings", "How lines end in saved files",
         {{"OBlf", "LF only", 4, "One line feed"},
          {"OBcrlf", "CR LF", 3, "Carriage return and line feed"},
          {"OBcr", "CR only", 3, "One carriage return"}}},
        {"S5", "Spelling", "What the spelling check looks at",
         {{"CBastype", "Check spelling as you type", 2, "Marks unknown words at once"},
          {"CBcaps", "Ignore words in capitals", 2, "Skips words written in capitals only"},
          {"CBdigits", "Ignore words with numbers", 1, "Skips words such as A4"}}},
    };
    return all;
}

}  // namespace demo_settings
