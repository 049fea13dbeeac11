"""Tevra from Python: the QX1100, QX1200 and QX1300 counters through the driver's C interface.

    import tevra
    with tevra.Counter("TCPIP::10.0.0.5::5025::SOCKET") as c:
        c.frequency.configure_auto(1)
        c.trigger.count = 4
        readings = c.read(100000)          # a numpy array when numpy is present, else a list
        c.channel(1).channel_coupling      # a channel's settings by name (or c.channel("Channel1"))
        c.cache = False                    # the session's own settings

    with tevra.Counter(simulate=True, model="QX1100") as c:   # no instrument
        print(c.frequency.measure(1))

A failed call raises tevra.Error, which carries the driver's status and message. The library is
libtevra.so.1 from TEVRA_LIBRARY, beside this package, or on the loader's path.
"""
import ctypes
import os
import pathlib
import time

from ._attributes import ATTRIBUTES

try:
    import numpy
except ImportError:  # readings come back as lists
    numpy = None

__all__ = ["Counter", "Error", "ATTRIBUTES"]

_VI_TRUE, _VI_FALSE = 1, 0
_CHUNK = 1000  # readings one destructive read takes


class Error(Exception):
    """A driver call that failed: status is the driver's ViStatus, message its text."""

    def __init__(self, status, message):
        super().__init__(f"{message} (status 0x{status & 0xFFFFFFFF:08X})")
        self.status = status
        self.message = message


def _load():
    candidates = [os.environ.get("TEVRA_LIBRARY"),
                  str(pathlib.Path(__file__).resolve().parent / "libtevra.so.1"), "libtevra.so.1"]
    last = None
    for candidate in filter(None, candidates):
        try:
            return ctypes.CDLL(candidate)
        except OSError as error:
            last = error
    raise ImportError(f"cannot load libtevra.so.1 (set TEVRA_LIBRARY): {last}")


_lib = _load()
_Session = ctypes.c_uint32
_Status = ctypes.c_int32
_p = ctypes.POINTER


def _declare(name, *argtypes):
    function = getattr(_lib, name)
    function.argtypes = [_Session, *argtypes] if name != "Tevra_InitWithOptions" else list(argtypes)
    function.restype = _Status
    return function


_init = _declare("Tevra_InitWithOptions", ctypes.c_char_p, ctypes.c_uint16, ctypes.c_uint16,
                 ctypes.c_char_p, _p(_Session))
_close = _declare("Tevra_close")
_get_error = _declare("Tevra_GetError", _p(_Status), ctypes.c_int32, ctypes.c_char_p)
_GETTERS = {
    "int32": (_declare("Tevra_GetAttributeViInt32", ctypes.c_char_p, ctypes.c_uint32,
                       _p(ctypes.c_int32)), ctypes.c_int32),
    "real64": (_declare("Tevra_GetAttributeViReal64", ctypes.c_char_p, ctypes.c_uint32,
                        _p(ctypes.c_double)), ctypes.c_double),
    "boolean": (_declare("Tevra_GetAttributeViBoolean", ctypes.c_char_p, ctypes.c_uint32,
                         _p(ctypes.c_uint16)), ctypes.c_uint16),
}
_SETTERS = {
    "int32": (_declare("Tevra_SetAttributeViInt32", ctypes.c_char_p, ctypes.c_uint32,
                       ctypes.c_int32), int),
    "real64": (_declare("Tevra_SetAttributeViReal64", ctypes.c_char_p, ctypes.c_uint32,
                        ctypes.c_double), float),
    "boolean": (_declare("Tevra_SetAttributeViBoolean", ctypes.c_char_p, ctypes.c_uint32,
                         ctypes.c_uint16), lambda v: _VI_TRUE if v else _VI_FALSE),
    "string": (_declare("Tevra_SetAttributeViString", ctypes.c_char_p, ctypes.c_uint32,
                        ctypes.c_char_p), lambda v: str(v).encode()),
}
_get_string = _declare("Tevra_GetAttributeViString", ctypes.c_char_p, ctypes.c_uint32,
                       ctypes.c_int32, ctypes.c_char_p)
_int, _real = ctypes.c_int32, ctypes.c_double
_configure_auto = {"frequency": _declare("Tevra_FrequencyConfigureAuto", _int),
                   "period": _declare("Tevra_PeriodConfigureAuto", _int)}
_measure_estimated = {"frequency": _declare("Tevra_FrequencyMeasure", _real, _real, _int, _p(_real)),
                      "period": _declare("Tevra_PeriodMeasure", _real, _real, _int, _p(_real))}
_initiate = _declare("Tevra_Initiate")
_reading_count = _declare("Tevra_MeasurementReadingCount", _p(_int))
_read_counted = _declare("Tevra_MeasurementDestructiveReadCounted", _int, _int, _p(_real), _p(_int))


class _Attributes:
    """The attributes whose names start with prefix (trigger_count is trigger.count), on a channel
    when channel names one."""

    def __init__(self, counter, prefix, channel=""):
        object.__setattr__(self, "_counter", counter)
        object.__setattr__(self, "_prefix", prefix)
        object.__setattr__(self, "_channel", channel)

    def _entry(self, name):
        entry = ATTRIBUTES.get(self._prefix + name)
        if entry is None or entry[2] != bool(self._channel):
            raise AttributeError(f"no attribute {self._prefix}{name}"
                                 + (" on a channel" if self._channel else ""))
        return entry

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        return self._counter._get(self._entry(name), self._channel)

    def __setattr__(self, name, value):
        self._counter._set(self._entry(name), self._channel, value)

    def __dir__(self):
        return [n[len(self._prefix):] for n, e in ATTRIBUTES.items()
                if n.startswith(self._prefix) and e[2] == bool(self._channel)]


class _Function(_Attributes):
    """A measurement function: its attributes, configure_auto(channel) and measure(channel)."""

    def __init__(self, counter, group, estimate, resolution):
        super().__init__(counter, group + "_")
        object.__setattr__(self, "_group", group)
        object.__setattr__(self, "_estimate", (estimate, resolution))

    def configure_auto(self, channel=1):
        self._counter._check(_configure_auto[self._group](self._counter._vi, channel),
                             f"{self._group}.configure_auto")

    def measure(self, channel=1, estimate=None, resolution=None):
        value = _real()
        e, r = self._estimate
        self._counter._check(
            _measure_estimated[self._group](self._counter._vi, e if estimate is None else estimate,
                                            r if resolution is None else resolution, channel,
                                            ctypes.byref(value)), f"{self._group}.measure")
        return value.value


# The driver's option names by keyword.
_OPTIONS = {"range_check": "RangeCheck", "query_instrument_status": "QueryInstrStatus",
            "cache": "Cache", "record_coercions": "RecordCoercions",
            "interchange_check": "InterchangeCheck"}


def _option_word(value):
    return ("true" if value else "false") if isinstance(value, bool) else str(value)


class Counter:
    """A driver session. resource: a VISA resource string ("" with simulate=True). Options are the
    driver's (cache=False, query_instrument_status=True, range_check=...); model picks the
    simulated model; trace=True writes the driver's method trace; driver_setup adds DriverSetup
    keys."""

    def __init__(self, resource="", simulate=None, model="QX1300", trace=False, id_query=None,
                 reset=False, driver_setup=None, **options):
        simulate = not resource if simulate is None else simulate
        words = {"Simulate": simulate}
        for key, value in options.items():
            if key not in _OPTIONS:
                raise TypeError(f"Counter() has no option {key!r} (it has {', '.join(_OPTIONS)})")
            words[_OPTIONS[key]] = value
        setup = dict(driver_setup or {})
        if simulate:
            setup.setdefault("Model", model)
        if trace:
            setup["Trace"] = True
        text = ", ".join(f"{k}={_option_word(v)}" for k, v in words.items())
        if setup:
            text += ", DriverSetup=" + ", ".join(f"{k}={_option_word(v)}" for k, v in setup.items())
        vi = _Session()
        status = _init(resource.encode(), _VI_FALSE if id_query is False or simulate else _VI_TRUE,
                       _VI_TRUE if reset else _VI_FALSE, text.encode(), ctypes.byref(vi))
        if status < 0:
            raise Error(status, self._error_text(0, status))
        self._vi = vi.value
        self._simulating = simulate
        self.frequency = _Function(self, "frequency", 10e6, 0.1)
        self.period = _Function(self, "period", 1e-7, 1e-12)
        self.trigger = _Attributes(self, "trigger_")
        self.math = _Attributes(self, "math_")
        self.system = _Attributes(self, "system_")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        self.close()

    def close(self):
        vi, self._vi = getattr(self, "_vi", 0), 0
        if vi:
            _close(vi)

    def __getattr__(self, name):
        """The session's attributes by name (c.cache, c.trigger_count)."""
        entry = ATTRIBUTES.get(name)
        if entry is None or entry[2] or name.startswith("_"):
            raise AttributeError(name)
        return self._get(entry, "")

    def __setattr__(self, name, value):
        entry = ATTRIBUTES.get(name)
        if entry is None or entry[2]:
            object.__setattr__(self, name, value)
        else:
            self._set(entry, "", value)

    def channel(self, which):
        """A channel's attributes: which is its number (1, 2, 3) or name ("Channel1")."""
        return _Attributes(self, "", which if isinstance(which, str) else f"Channel{which}")

    def read(self, count, timeout=10.0):
        """count readings of the configured function, taken chunk by chunk as the instrument
        holds them: a numpy array when numpy is present, else a list. Raises Error when no
        reading arrives for timeout seconds."""
        self.trigger.count = 1
        self.trigger.sample_count = count
        self._check(_initiate(self._vi), "initiate")
        out = numpy.empty(count) if numpy is not None else [0.0] * count
        buffer = (_real * _CHUNK)()
        done = 0
        deadline = time.monotonic() + timeout
        while done < count:
            ready = min(_CHUNK, count - done)
            if not self._simulating:
                held = _int()
                self._check(_reading_count(self._vi, ctypes.byref(held)), "reading count")
                ready = min(ready, held.value)
                if ready == 0:
                    if time.monotonic() > deadline:
                        raise Error(-1, f"read: {done} of {count} readings within {timeout} s")
                    time.sleep(0.01)
                    continue
            got = _int()
            self._check(_read_counted(self._vi, ready, ready, buffer, ctypes.byref(got)), "read")
            out[done:done + got.value] = buffer[:got.value]
            done += got.value
            deadline = time.monotonic() + timeout
        return out

    def _get(self, entry, channel):
        ident, kind, _ = entry
        if kind == "string":
            text = ctypes.create_string_buffer(4096)
            self._check(_get_string(self._vi, channel.encode(), ident, len(text), text), "get")
            return text.value.decode()
        getter, ctype = _GETTERS[kind]
        value = ctype()
        self._check(getter(self._vi, channel.encode(), ident, ctypes.byref(value)), "get")
        return bool(value.value) if kind == "boolean" else value.value

    def _set(self, entry, channel, value):
        ident, kind, _ = entry
        setter, convert = _SETTERS[kind]
        self._check(setter(self._vi, channel.encode(), ident, convert(value)), "set")

    def _check(self, status, what):
        if status < 0:
            raise Error(status, f"{what}: {self._error_text(self._vi, status)}")

    @staticmethod
    def _error_text(vi, status):
        code = _Status()
        text = ctypes.create_string_buffer(1024)
        _get_error(vi, ctypes.byref(code), len(text), text)
        return text.value.decode(errors="replace")
