"""Where two files that should be the same bytes first differ."""


def first_difference(first, second):
    """The offset of the first differing byte, or None when they are the same."""
    if first == second:
        return None
    return next((i for i, (a, b) in enumerate(zip(first, second)) if a != b),
                min(len(first), len(second)))
