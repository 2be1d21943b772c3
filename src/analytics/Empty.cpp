// Placeholder so the library has a source until the first component lands.
