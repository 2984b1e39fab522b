// The text arithmetic of the message box and the folder chooser's label, over a measuring
// callback so that it runs without a window.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qf {

// Width in pixels of a text, as the device measures it.
using MeasureText = std::function<int(const std::string&)>;

// The offsets at which the letters of text start, and its end. In a double-byte code page the
// second byte of a letter may have the value of '\\' or of any letter of ASCII: paths are searched
// and cut only at these.
std::vector<size_t> letterStarts(const std::string& text);

// Shortens a path with "..." until it fits maxWidth: the directory is cut first, then the file
// name; "!" when nothing fits. '/' becomes '\'; a path without a folder is left as it is.
std::string fitPathToWidth(std::string path, int maxWidth, const MeasureText& measure);

// The lines of a message: split at line feeds, runs of them counting as one.
std::vector<std::string> messageLines(const std::string& text);

struct MessageBoxLayout {
    int width, height;
    int buttonX, buttonY;  // the 70 x 20 "OK" button
};
MessageBoxLayout messageBoxLayout(int widestLine, int lineCount, int lineHeight);

enum class MessageIcon { Question, Exclamation, Information };
// Exactly MB_ICONQUESTION or MB_ICONEXCLAMATION choose those; anything else the information icon.
MessageIcon messageIcon(unsigned type);

}  // namespace qf
