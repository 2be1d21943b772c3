// Placeholder until the first model class lands.
