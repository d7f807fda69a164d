#pragma once

class QLineEdit;

namespace ui {

// The key rules of the program's number boxes. They act on typed characters only: caret
// keys, Delete, Enter, Escape and Tab keep their usual meaning.

// Decimal box: digits and Backspace pass, "." and "," are both entered as ",", every other
// typed character (and pasting by key) is dropped. The text is read back with data::toDouble.
void useDecimalKeys(QLineEdit* box);

// Whole-number box: digits and Backspace pass, every other typed character is dropped.
void useWholeNumberKeys(QLineEdit* box);

} // namespace ui
