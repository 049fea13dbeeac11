"""The Python package as a user drives it: in simulation and against a running tevra-emulator.
ctest sets TEVRA_LIBRARY (the built libtevra.so.1) and TEVRA_EMULATOR (the built emulator)."""
import os
import subprocess

import numpy
import pytest

import tevra


@pytest.fixture(scope="module")
def emulator():
    process = subprocess.Popen([os.environ["TEVRA_EMULATOR"], "--seconds", "60"],
                               stdout=subprocess.PIPE, text=True)
    yield process.stdout.readline().strip()
    process.terminate()
    process.wait(timeout=10)


def test_a_simulated_session_configures_reads_into_numpy_and_raises_the_drivers_errors():
    with tevra.Counter(simulate=True, model="QX1100") as c:
        assert c.simulate is True and c.frequency.measure(1) == 1e6
        c.frequency.configure_auto(1)
        c.trigger.count = 4
        assert c.trigger.count == 4 and c.trigger_count == 4
        readings = c.read(100000)
        assert isinstance(readings, numpy.ndarray) and readings.shape == (100000,)
        with pytest.raises(tevra.Error) as error:
            c.frequency.measure(9)
        assert error.value.status & 0xFFFFFFFF == 0xBFFA0010
        assert "Invalid value '9'" in error.value.message
        with pytest.raises(AttributeError):
            c.trigger.no_such_setting


def test_against_the_emulator_settings_read_back_and_readings_scatter_around_one_megahertz(
        emulator):
    with tevra.Counter(emulator, query_instrument_status=True) as c:
        assert c.query_instrument_status is True and c.simulate is False
        c.channel(1).channel_level = 0.25
        assert c.channel("Channel1").channel_level == 0.25
        c.frequency.configure_auto(1)
        readings = c.read(5000)
        assert len(readings) == 5000 and abs(readings.mean() - 1e6) < 0.1
        assert 0 < readings.std() < 1


def test_without_numpy_readings_are_a_list(monkeypatch):
    monkeypatch.setattr(tevra, "numpy", None)
    with tevra.Counter(simulate=True) as c:
        assert c.read(3) == [0.0, 0.0, 0.0]


def test_a_resource_that_cannot_open_raises_with_the_drivers_message():
    with pytest.raises(tevra.Error) as error:
        tevra.Counter("TCPIP::127.0.0.1::1::SOCKET")
    assert error.value.status < 0 and "Resource descriptor" in error.value.message


def test_a_thousand_sessions_leave_no_descriptor_or_memory_behind():
    def usage():
        rss = int(open("/proc/self/statm").read().split()[1])
        return len(os.listdir("/proc/self/fd")), rss

    for _ in range(50):
        tevra.Counter(simulate=True).close()
    before = usage()
    for _ in range(1000):
        with tevra.Counter(simulate=True) as c:
            c.trigger.count = 2
    after = usage()
    assert after[0] == before[0]
    assert after[1] - before[1] < 256  # pages
