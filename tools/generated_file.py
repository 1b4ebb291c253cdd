"""Writes a file the build generates, only when its text changes, so an
unchanged result rebuilds nothing."""


def write_if_changed(path, text):
    try:
        with open(path) as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, "w") as f:
        f.write(text)
