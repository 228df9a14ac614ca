// filled in by the skeleton
