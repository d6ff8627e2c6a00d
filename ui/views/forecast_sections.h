#pragma once
// The notary forecast's sections of the results screen, after the result's
// own: "Notary Forecast" (its status, then each issue with its fix) and
// "Nested Code" (every piece of code read). Where no forecast could be made,
// the first says so and the second is left out.

#include "ui/views/forecast_rows.h"
#include "ui/views/result_sections.h"

// "Accepted" or "Invalid" with what stands, or "No forecast" with why.
CheckRowView forecastStatusRow(const ForecastAttempt &attempt);

QList<ResultSectionView> forecastSections(const ForecastAttempt &attempt);
