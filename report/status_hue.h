#pragma once
// The three status colours shared by verdicts and check statuses. The report
// stays free of any toolkit, so it names the hue and the user interface maps
// it to the platform's system green, orange and red.

enum class StatusHue { green, orange, red };
