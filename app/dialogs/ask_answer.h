// Reading the answer of the unlock question, kept apart from the dialog so it can be
// checked against a table.
#pragma once

namespace rest {

// The number at the start of `text` as _wtoi reads it: leading white space skipped, an
// optional sign, then decimal digits up to the first other character; 0 without a leading
// number. Unlike _wtoi, a number beyond the int range does not wrap or depend on the C
// runtime: it saturates at INT_MAX or INT_MIN, so "4294977097" can never pass for 9801.
int answerValue(const wchar_t* text);

// Whether `text` answers factor1 × factor2. An empty answer counts as 0, which is right
// when a factor is 0.
bool isRightAnswer(const wchar_t* text, int factor1, int factor2);

}  // namespace rest
