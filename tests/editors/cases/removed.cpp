/**
 * Parses a number.
 *
 * @param digits the text to read
 * @param flags  parse options,
 *               or 0
 * @param base   the radix
 * @return the value read
 */
long parse(const char *digits, int base);
