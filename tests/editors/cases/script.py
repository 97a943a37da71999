def twice(x):
    return 2 * x
