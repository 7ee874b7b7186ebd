#include "game/gamesettings.h"

namespace sky::game {

std::int16_t GameMode = 0;
std::int32_t TimeLimitSeconds = 0;
std::int32_t QuestionLimit = 0;
bool IsHardDifficulty = false;
bool GradeImmediately = false;
bool IsCaptainsChallenge = false;
bool FocusOnWeakSpots = false;

} // namespace sky::game
