SELECT [First Name]+'it''s'+"x" /* c */ -- d
 FROM t WHERE a+1=?2 AND 'unterminated