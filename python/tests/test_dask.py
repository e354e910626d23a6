"""plorimet.Sums and plorimet.dask: partial sums that add exactly, and fits of Dask arrays bit for
bit those of the points in memory, whatever the chunking, the chunks' order and the workers."""
import pickle

import numpy as np
import pytest

import plorimet
from conftest import generated

da = pytest.importorskip("dask.array")
dd = pytest.importorskip("dask.dataframe")
import plorimet.dask as pdask  # noqa: E402  (after the skip)

MILLION = 10 ** 6


@pytest.fixture(scope="module")
def million():
    x, y = generated(MILLION, degree=4, seed=11, spread=10.0)
    return np.round(x, 3), y  # repeated X as well


def same_report(a, b):
    """Every field of two reports the same bits, but the lack-of-fit test a fit of sums has not."""
    a, b = a.to_dict(), b.to_dict()
    skip = {"lack_of_fit", "unavailable"}
    assert {k: v for k, v in a.items() if k not in skip} == {k: v for k, v in b.items() if k not in skip}
    assert {k: v for k, v in a["unavailable"].items() if not k.startswith("lack_of_fit")} == \
        {k: v for k, v in b["unavailable"].items() if k != "lack_of_fit"}
    assert b["lack_of_fit"] is None


def test_sums_add_exactly_and_travel_as_bytes():
    x, y = generated(1000)
    w = 0.5 + (np.arange(1000) % 3)
    whole = plorimet.sums_of(x, y, 4, w)
    cuts = [0, 1, 17, 500, 999, 1000]
    parts = [plorimet.sums_of(x[a:b], y[a:b], 4, w[a:b]) for a, b in zip(cuts, cuts[1:])]
    total = sum(reversed(parts))
    assert total.count == whole.count == 1000 and total.terms == 4
    back = pickle.loads(pickle.dumps(total))
    assert back.to_bytes() == total.to_bytes()
    core_whole = plorimet._core.fit_sums(whole, 3, False, 0.95).values()
    core_parts = plorimet._core.fit_sums(back, 3, False, 0.95).values()
    assert core_whole == core_parts
    with pytest.raises(ValueError, match="different numbers of terms"):
        whole + plorimet.sums_of(x, y, 3)
    for bad in (b"", b"PLSM", total.to_bytes()[:-1], total.to_bytes() + b"\0", b"X" + total.to_bytes()[1:]):
        with pytest.raises(ValueError, match="not the bytes"):
            plorimet.Sums.from_bytes(bad)


CHUNKINGS = [1000003 // 3, 100_000, 262_144]


@pytest.mark.parametrize("chunks", CHUNKINGS)
def test_fit_of_a_million_points_is_the_in_memory_fit(dask_client, million, chunks):
    x, y = million
    expected = plorimet.fit(x, y, 4)
    got = pdask.fit(da.from_array(x, chunks=chunks), da.from_array(y, chunks=chunks), 4)
    same_report(expected, got)
    assert got.press is not None


def test_chunk_order_and_schedulers_do_not_change_a_bit(dask_client, million):
    x, y = million
    n = 300_000
    x, y = x[:n], y[:n]
    order = np.concatenate([np.arange(n)[k::7] for k in range(7)][::-1])
    w = 0.5 + (np.arange(n) % 5) / 4.0
    expected = plorimet.fit(x, y, 3, weights=w)
    on_cluster = pdask.fit(da.from_array(x[order], chunks=40_000), da.from_array(y[order], chunks=40_000), 3,
                           weights=da.from_array(w[order], chunks=25_000))
    same_report(expected, on_cluster)
    import dask
    with dask.config.set(scheduler="threads"):
        threaded = pdask.fit(da.from_array(x, chunks=77_777), da.from_array(y, chunks=77_777), 3,
                             weights=da.from_array(w, chunks=77_777))
    same_report(expected, threaded)


@pytest.mark.parametrize("origin", [False, True])
def test_dataframe_columns_and_the_origin(dask_client, origin):
    pandas = pytest.importorskip("pandas")
    x, y = generated(5000, degree=2)
    frame = dd.from_pandas(pandas.DataFrame({"x": x, "y": y}), npartitions=4)
    same_report(plorimet.fit(x, y, 2, through_origin=origin), pdask.fit(frame.x, frame.y, 2, through_origin=origin))


def test_polyfit_is_the_in_memory_polyfit(dask_client, million):
    x, y = million
    for chunks in CHUNKINGS[:2]:
        got = pdask.polyfit(da.from_array(x, chunks=chunks), da.from_array(y, chunks=chunks), 6)
        assert np.array_equal(got, plorimet.polyfit(x, y, 6))


def test_bad_values_are_named_by_their_index_in_the_whole(dask_client):
    x, y = generated(100)
    y[73] = np.nan
    with pytest.raises(ValueError, match=r"y\[73\] is nan"):
        pdask.fit(da.from_array(x, chunks=30), da.from_array(y, chunks=30), 2)
    with pytest.raises(ValueError, match="Only one data set"):
        pdask.fit(da.from_array(np.ones(10), chunks=3), da.from_array(np.arange(10.0), chunks=3), 2)
    with pytest.raises(ValueError, match="not offered for 10 pairs with 3 distinct X"):
        pdask.fit(da.from_array(np.arange(10) % 3, chunks=3), da.from_array(np.arange(10.0), chunks=3), 3)
