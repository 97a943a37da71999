// Nothing to document here.

/* Nor here. */
