// Replaced by the report sources.
