#!/usr/bin/env python3
# Generates kCombos, the table of combined options in tests/dirpick_test.cpp: every two values of any two columns
# meet in some row, greedily, each row the one that meets the most pairs not met yet (the first such, so the
# table is the same at every run). Prints the rows; paste them over the table's. Usage: python3 scripts/combos.py
import itertools

# The columns and their values, as the unit row that checks the table lists them.
COLUMNS = {
    'modern': [0, 1],
    'start': ['%I', '%W', '%W2', '%W\\\\Gone', 'shell:Desktop', 'C:\\\\', '%J'],
    'answer': ['Ok', 'Cancel', 'CtrlC', 'Nobody'],
    'root': [0, 1],  # /root:%W
    'require': [0, 1],  # /require:*, which a folder meets that holds anything
    'timeout': [0, 60, 5],
    'center': [0, 1],
    'output': ['', '/bare', '/batch'],
    'remember': [0, 1],  # /remember:x, with nothing remembered before the row
}
# Inside %W: the folders that are it or lie below it. What each start folder opens on, and whether it holds
# anything (None: the Desktop, whose contents vary; no row asks the tree to judge it).
INSIDE = {'%I', '%W', '%W\\\\Gone'}
OPENS = {'%W\\\\Gone': '%W', 'shell:Desktop': '%Y'}
HOLDS = {'%I': True, '%W': True, '%W2': False, 'C:\\\\': True, '%J': False, '%Y': None}


def shows(row):
    return '%W' if row['root'] and row['start'] not in INSIDE else OPENS.get(row['start'], row['start'])


def ok_on(row):
    return not row['require'] or HOLDS[shows(row)]


def valid(row):
    # /timeout:5 only where nobody answers, and nobody answers only there: the limit closes the dialog. OK
    # pressed only where it is on.
    if (row['timeout'] == 5) != (row['answer'] == 'Nobody'):
        return False
    if row['require'] and HOLDS[shows(row)] is None:
        return False
    return row['answer'] != 'Ok' or ok_on(row)


def pairs(row):
    names = list(COLUMNS)
    return {(a, row[a], b, row[b]) for a, b in itertools.combinations(names, 2)}


def line(number, row):
    options = ['/modern'] * row['modern'] + ['/root:%W'] * row['root'] + ['/require:*'] * row['require']
    options += [f'/timeout:{row["timeout"]}'] * bool(row['timeout']) + ['/center'] * row['center']
    options += [row['output']] * bool(row['output']) + ['/remember:x'] * row['remember']
    fields = [f'.name = "c{number:02}"', f'.from = L"{row["start"]}"', f'.opt = L"{" ".join(options)}"']
    fields += [f'.press = {row["answer"]}']
    fields += [f'.on = L"{shows(row)}"'] + ['.ok = 0'] * (not ok_on(row))
    text = '  {' + ', '.join(fields) + '},'
    # No line over 120 characters: a long row goes on at its answer.
    return text if len(text) <= 120 else text.replace(', .press', ',\n   .press', 1)


rows = [dict(zip(COLUMNS, values)) for values in itertools.product(*COLUMNS.values())]
rows = [row for row in rows if valid(row)]
wanted = set().union(*(pairs(row) for row in rows))
chosen = []
while wanted:
    best = max(rows, key=lambda row: len(pairs(row) & wanted))
    chosen.append(best)
    wanted -= pairs(best)
for number, row in enumerate(chosen, 1):
    print(line(number, row))
