struct Point {
    int x; ///< Across.
    int y; /**< Down. */
    int z;
};
