#include <string>

namespace text {

/**
 *  Parses a number.
 *  
 *  Leading spaces are skipped.
 *  
 *  @param[in]      digits  the text to read
 *  @param[in]      len     how many bytes to read
 *  @param[inout]   flags   parse options
 *  @param[in]      base    the radix
 *  @return the value read
 */
long parse(const std::string &digits, std::size_t size, int &end, int base = 10);

} // namespace text
