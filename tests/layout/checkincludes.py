#!/usr/bin/env python3
"""Every #include of the programs' sources goes down the folder layers below,
never up or sideways, so that the folders include each other in one
direction. A folder belongs to the layer with the longest matching prefix.

    checkincludes.py SOURCE_DIR
"""
import os
import re
import sys

# Include roots, searched in this order after the including file's folder.
ROOTS = ['reelforge', 'kelkit/src', 'kelbase/src', 'reelworker']

# (layer, folder prefixes, layers it may include besides itself)
LAYERS = [
    ('kelbase', ['kelbase/src/'], []),
    ('kelkit/utils', ['kelkit/src/utils/'], ['kelbase']),
    # The framework's styles, painting, animators, widgets, event filters,
    # windows and application object reach each other through their global
    # accessors, so they form one layer.
    ('kelkit', ['kelkit/src/'], ['kelbase', 'kelkit/utils']),
    ('kelkit/layouts', ['kelkit/src/layouts/'], ['kelbase', 'kelkit/utils', 'kelkit']),
    ('kelkit/itemviews', ['kelkit/src/itemviews/'],
     ['kelbase', 'kelkit/utils', 'kelkit', 'kelkit/layouts']),
    ('kelkit/servicepages', ['kelkit/src/servicepages/'],
     ['kelbase', 'kelkit/utils', 'kelkit', 'kelkit/layouts', 'kelkit/itemviews']),
    # The media time unit and its conversions: one header of plain arithmetic
    # that every layer of the media code reads, the overlays' SRT times too.
    ('mediatime', ['reelforge/core/mediatime.h'], []),
    ('pip', ['reelforge/datamodel/pip/'], ['kelbase', 'mediatime']),
    ('metrics', ['reelforge/metrics/'], ['kelbase']),
    ('core', ['reelforge/core/'], ['kelbase', 'mediatime', 'pip', 'metrics']),
    ('core/player', ['reelforge/core/player/'], ['kelbase', 'mediatime', 'pip', 'metrics', 'core']),
    ('shared', ['reelforge/shared/'],
     ['kelbase', 'kelkit*', 'mediatime', 'pip', 'metrics', 'core', 'core/player']),
    ('datamodel', ['reelforge/datamodel/'],
     ['kelbase', 'kelkit*', 'mediatime', 'pip', 'metrics', 'core', 'core/player', 'shared']),
    ('gui', ['reelforge/'],
     ['kelbase', 'kelkit*', 'mediatime', 'pip', 'metrics', 'core', 'core/player', 'shared',
      'datamodel']),
    ('reelworker', ['reelworker/'], ['kelbase', 'mediatime', 'pip', 'core']),
]

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    best = None
    for name, prefixes, _ in LAYERS:
        for prefix in prefixes:
            if path.startswith(prefix) and (best is None or len(prefix) > len(best[1])):
                best = (name, prefix)
    return best[0] if best else None


def allowed(source, target):
    if source == target:
        return True
    for name, _, below in LAYERS:
        if name == source:
            return any(target == b or (b.endswith('*') and target.startswith(b[:-1]))
                       for b in below)
    return False


def resolve(top, path, kind, name):
    candidates = [os.path.join(os.path.dirname(path), name)] if kind == '"' else []
    candidates += [os.path.join(root, name) for root in ROOTS]
    for candidate in candidates:
        candidate = os.path.normpath(candidate)
        if os.path.isfile(os.path.join(top, candidate)):
            return candidate
    return None


def main(top):
    failures = 0
    for root in ROOTS:
        for folder, _, files in os.walk(os.path.join(top, root)):
            for file in sorted(files):
                if not file.endswith(('.h', '.cpp')):
                    continue
                path = os.path.relpath(os.path.join(folder, file), top)
                source = layer_of(path)
                with open(os.path.join(top, path), encoding='utf-8', errors='replace') as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target_path = resolve(top, path, match.group(1), match.group(2))
                        if not target_path:
                            continue
                        target = layer_of(target_path)
                        if not allowed(source, target):
                            print(f'FAIL: {path}:{number} includes {target_path}: '
                                  f'{source} may not include {target}')
                            failures += 1
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
