#pragma once

#include <QString>

namespace veranth::engine {

// The Like operator: * any run, ? one character, # one digit, [abc] / [a-z] / [!abc] one
// character from (or not from) a list; letters compare without regard to case.
bool likeMatch(const QString& text, const QString& pattern);

}  // namespace veranth::engine
