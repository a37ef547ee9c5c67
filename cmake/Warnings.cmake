# Our own code builds warning-free with these; third-party headers are
# included as system headers so their warnings stay out of the way.
set(WENDALORE_WARNINGS -Wall -Wextra -Wpedantic)
