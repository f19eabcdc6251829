"""How a soak judges its samples, whatever it ran: after the warm-up (the first minute, or the
first fifth of a longer run, while caches and heaps settle) every figure must stay flat (memory
within 1 %, counts within a few objects), and a verdict needs a few samples after the warm-up.
A sample is (seconds since the start, {figure: value}); a figure is (name, column heading, is
memory in bytes); a value below 0 means "not counted"."""

SLACK_OBJECTS = 3        # a few objects may come and go between two samples
SLACK_FRACTION = 0.01    # memory: within 1 %
WARM_UP_SECONDS = 60     # the first minute, or the first fifth of a longer run, settles
WARM_UP_FRACTION = 0.2   # caches and heaps
JUDGED_SAMPLES = 3       # the fewest samples after the warm-up that a verdict stands on
FLAT, NOT_FLAT, TOO_SHORT = 0, 1, 2  # exit codes


def flat(values, memory):
    """(verdict, spread) of the samples after the warm-up."""
    if not values:
        return "no samples", 0
    if min(values) < 0 or max(values) == 0:
        return "not counted", 0
    spread = max(values) - min(values)
    allowed = SLACK_FRACTION * values[0] if memory else SLACK_OBJECTS
    return ("flat" if spread <= allowed else "GROWS" if values[-1] > values[0] else "moves"), spread


def warm_up_seconds(total):
    return max(WARM_UP_SECONDS, WARM_UP_FRACTION * total)


def shortest_run_seconds(every):
    """The shortest run that leaves JUDGED_SAMPLES samples, `every` seconds apart, after its
    warm-up."""
    judged = JUDGED_SAMPLES * every
    return max(WARM_UP_SECONDS + judged, judged / (1 - WARM_UP_FRACTION))


def after_warm_up(samples):
    total = samples[-1][0] if samples else 0
    return [values for at, values in samples if at >= warm_up_seconds(total)]


def judged_flat(kept, figures):
    """Whether every figure of the samples `kept` stays flat (or is not counted)."""
    return all(flat([v[name] for v in kept], memory)[0] in ("flat", "not counted") for name, _, memory in figures)


def outcome(samples, alive, figures):
    """FLAT, NOT_FLAT (a figure moves, or the program ended) or TOO_SHORT (too few samples
    after the warm-up to say)."""
    if not alive:
        return NOT_FLAT
    kept = after_warm_up(samples)
    if len(kept) < JUDGED_SAMPLES:
        return TOO_SHORT
    return FLAT if judged_flat(kept, figures) else NOT_FLAT


def too_short(minutes, every):
    """The refusal of a run shorter than the shortest useful one, or None."""
    shortest = shortest_run_seconds(every)
    if minutes * 60 >= shortest:
        return None
    return (f"soak: a {minutes:g}-minute run is too short to judge: its first "
            f"{warm_up_seconds(minutes * 60):.0f} s are a warm-up whose samples are not judged, "
            f"and a verdict needs {JUDGED_SAMPLES} samples (one every {every:g} s) after it. "
            f"The shortest useful run is {shortest / 60:g} minutes "
            f"(make soak SOAK_MINUTES={shortest / 60:g}).")


def print_table(samples, figures, labels=None):
    """The samples as a table, memory in KiB, each row followed by its label when given."""
    print("memory in KiB; " + " | ".join(heading for _, heading, _ in figures))
    print(f"{'t (s)':>6} " + " ".join(f"{heading:>11}" for _, heading, _ in figures))
    for row, (at, values) in enumerate(samples):
        cells = [values[name] // 1024 if memory and values[name] > 0 else values[name]
                 for name, _, memory in figures]
        label = f"  {labels[row]}" if labels else ""
        print(f"{at:6.0f} " + " ".join(f"{cell:>11}" for cell in cells) + label)


def print_samples(samples, figures):
    """The table, and each figure's verdict after the warm-up."""
    print_table(samples, figures)
    kept = after_warm_up(samples)
    print(f"after the warm-up of {warm_up_seconds(samples[-1][0] if samples else 0):.0f} s "
          f"({len(kept)} samples):")
    print_verdicts(kept, figures)


def print_verdicts(kept, figures, indent="  "):
    for name, heading, memory in figures:
        values = [v[name] for v in kept]
        verdict, spread = flat(values, memory)
        span = f"{min(values)} .. {max(values)}" if values else "-"
        print(f"{indent}{heading:12} {verdict:12} range {span}, spread {spread}")
