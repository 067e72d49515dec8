#!/usr/bin/env python3
"""Which product lines each test function reaches, and which it alone reaches.

Builds the suite with gcc's --coverage in build-coverage/, runs every test function of every test program on its
own (as ctest would: same environment, same working folder), and after each run reads the counters with gcov.
Prints, least first, how many product lines each function alone reaches, with the functions that share most of
its rarely reached lines. A function that alone reaches nothing is a place to look when the tests grow: it may
be the only one to assert a value, a text or an order, or it may repeat another test. Writes the covered lines
("file:line") by function to build-coverage/coverage-by-test.json.

    scripts/coverage-by-test.py [-R REGEX]    # only the test programs whose name matches
"""
import argparse
import collections
import glob
import json
import os
import re
import subprocess
import sys

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = os.path.join(root, 'build-coverage')


def configure_and_build():
    subprocess.run([os.path.join(root, 'scripts/setup-debian.sh')], check=True)
    subprocess.run(['cmake', '-S', root, '-B', build, '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=Debug', '-DDAWNBELL_TESTS=ON',
                    '-DCMAKE_CXX_FLAGS=--coverage -O0', '-DCMAKE_EXE_LINKER_FLAGS=--coverage'], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(['cmake', '--build', build], check=True, stdout=sys.stderr)


def counters():
    return glob.glob(os.path.join(build, '**/*.gcda'), recursive=True)


def covered_lines():
    """The product lines the counters show as run: the tests' own files are left out."""
    files = [f for f in counters() if not f[len(build):].startswith('/tests/')]
    lines = set()
    if not files:
        return lines
    out = subprocess.run(['gcov', '--json-format', '--stdout'] + files, cwd=build, capture_output=True,
                         text=True).stdout
    for text in out.splitlines():
        if not text.startswith('{'):
            continue
        for f in json.loads(text)['files']:
            name = os.path.normpath(os.path.join(build, f['file']))
            if not name.startswith(root + '/') or name.startswith(os.path.join(root, 'tests') + '/'):
                continue
            relative = name[len(root) + 1:]
            lines.update(f'{relative}:{line["line_number"]}' for line in f['lines'] if line['count'] > 0)
    return lines


def test_programs(selection):
    listing = json.loads(subprocess.run(['ctest', '--test-dir', build, '--show-only=json-v1'], capture_output=True,
                                        text=True, check=True).stdout)
    for test in listing['tests']:
        command = test.get('command') or []
        if not command or not command[0].startswith(build) or (selection and not re.search(selection, test['name'])):
            continue
        properties = {p['name']: p['value'] for p in test.get('properties', [])}
        environment = dict(os.environ)
        environment.update(entry.split('=', 1) for entry in properties.get('ENVIRONMENT', []))
        yield test['name'], command, environment, properties.get('WORKING_DIRECTORY', build)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('-R', dest='selection', help='only the test programs whose name matches')
    args = parser.parse_args()
    configure_and_build()
    reached = {}
    for name, command, environment, folder in test_programs(args.selection):
        os.makedirs(environment.get('HOME', build), exist_ok=True)
        listed = subprocess.run(command + ['-functions'], env=environment, cwd=folder, capture_output=True, text=True)
        for function in (f[:-2] for f in listed.stdout.split() if f.endswith('()')):
            for counter in counters():
                os.remove(counter)
            run = subprocess.run(command + [function], env=environment, cwd=folder, capture_output=True, text=True)
            key = f'{name} {function}'
            reached[key] = covered_lines()
            print(f'{key}: {len(reached[key])} lines{"" if run.returncode == 0 else " (FAILED)"}', file=sys.stderr)
    with open(os.path.join(build, 'coverage-by-test.json'), 'w') as out:
        json.dump({key: sorted(lines) for key, lines in reached.items()}, out)

    by_line = collections.defaultdict(set)
    for key, lines in reached.items():
        for line in lines:
            by_line[line].add(key)
    for key, lines in sorted(reached.items(), key=lambda item: sum(len(by_line[l]) == 1 for l in item[1])):
        alone = sorted(l for l in lines if len(by_line[l]) == 1)
        rare = [l for l in lines if len(by_line[l]) <= 6]
        sharing = collections.Counter(other for l in rare for other in by_line[l] if other != key)
        print(f'{len(alone):4d} alone  {key}')
        if alone:
            print(f'           {" ".join(alone[:6])}{" ..." if len(alone) > 6 else ""}')
        if sharing:
            print('           shares most with ' +
                  ', '.join(f'{other} ({count}/{len(rare)})' for other, count in sharing.most_common(3)))


if __name__ == '__main__':
    main()
