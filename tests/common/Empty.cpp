// Keeps a support library non-empty before its first file lands.
