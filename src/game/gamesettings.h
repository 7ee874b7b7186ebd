// The six game settings, written only by the game selector and read by the
// quiz engine and the results screen. All 0 or false when the program
// starts.
#pragma once

#include <cstdint>

namespace sky::game {

// 0 no game chosen; 1 Learning Mode; 2 quiz on the pictures panel (pick
// the picture of a shown name); 3 quiz on the names panel (pick the name of
// a shown picture).
extern std::int16_t GameMode;
extern std::int32_t TimeLimitSeconds; // -1: no limit
extern std::int32_t QuestionLimit;    // -1: no limit (below 1 means none)
extern bool IsHardDifficulty;
extern bool GradeImmediately;
extern bool IsCaptainsChallenge;
// The Custom Challenge drills the aircraft the user gets wrong and the
// aircraft they mix them up with (never in the Captain's Challenge).
extern bool FocusOnWeakSpots;

} // namespace sky::game
