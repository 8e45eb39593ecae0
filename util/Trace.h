// The program's trace line: "[ZELAgent]" followed directly by the formatted text.
#pragma once

void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
