#!/usr/bin/python3
"""The page's words in every language, as one JSON object that
web/page.cmake puts in the page: "ids" lists the English words that src/ and
web/ say (the template's strings from there), and each language, named as
its catalogue is, lists their translations in that order, "" for none or
where it says the same.

usage: words.py velmora.pot <language>.mo ..."""
import ast
import gettext
import json
import os
import sys


def spoken_on_the_page(template):
    """The template's strings whose places are in src/ or web/."""
    ids, places, text = [], '', None
    for line in open(template, encoding='utf-8').read().split('\n'):
        if line.startswith('#:'):
            places += line
        elif line.startswith('msgid '):
            text = ast.literal_eval(line[6:])
        elif line.startswith('"') and text is not None:
            text += ast.literal_eval(line)
        elif line.startswith('msgstr'):
            if text and (' src/' in places or ' web/' in places):
                ids.append(text)
            places, text = '', None
    return ids


template, catalogues = sys.argv[1], sys.argv[2:]
ids = spoken_on_the_page(template)
words = {'ids': ids}
for path in catalogues:
    with open(path, 'rb') as file:
        translated = gettext.GNUTranslations(file)._catalog
    words[os.path.basename(path)[:-3]] = [
        '' if translated.get(text, text) == text else translated[text] for text in ids]
print(json.dumps(words, ensure_ascii=False, separators=(',', ':')))
