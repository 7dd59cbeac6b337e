"""Helpers shared by the test modules."""
import ctypes

# True when the tests run against the sanitizer build (make test-sanitize).
# AddressSanitizer reserves terabytes of address space and keeps freed memory
# in quarantine, so address-space limits and resident-size figures mean
# nothing there.
SANITIZED = hasattr(ctypes.CDLL(None), "__lsan_do_recoverable_leak_check")
