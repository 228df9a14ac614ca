#pragma once

namespace veranth::engine::direct {

// How OpenConnection may involve the user: here only kNoPrompt and kPrompt differ (the
// second asks through the environment's prompt hook when the string names no source).
namespace prompt {
inline constexpr int kPrompt = 0;
inline constexpr int kNoPrompt = 1;
inline constexpr int kComplete = 2;
inline constexpr int kCompleteRequired = 3;
}  // namespace prompt

namespace exec_option {
inline constexpr int kDirect = 64;  // sent at once, not prepared (the only way statements are sent)
}

namespace cursor {
inline constexpr int kForwardOnly = 0;
inline constexpr int kKeyset = 1;
inline constexpr int kDynamic = 2;
inline constexpr int kStatic = 3;
}  // namespace cursor

namespace lock {
inline constexpr int kReadOnly = 1;
inline constexpr int kPessimistic = 2;
inline constexpr int kOptimistic = 3;
inline constexpr int kValues = 4;  // an update finds its row by the values it was read with
inline constexpr int kBatch = 5;
}  // namespace lock

}  // namespace veranth::engine::direct
